#include "figures/graph_steps.h"

namespace graph_steps {
namespace {

const QColor red(255, 0, 0);
const QColor green(0, 255, 0);
const QColor white(255, 255, 255);

class Steps {
public:
    Steps& line(int x1, int y1, int x2, int y2, std::optional<QColor> color = std::nullopt)
    {
        steps_.push_back({DrawStep::Line, x1, y1, x2, y2, color, {}});
        return *this;
    }
    Steps& label(int x, int y, const char* text)
    {
        steps_.push_back({DrawStep::Label, x, y, 0, 0, std::nullopt, QString::fromLatin1(text)});
        return *this;
    }
    // The white step that graph2 and graph3 open with lands on the window's
    // own background, in its own units, not on the picture box.
    Steps& windowBox(int x1, int y1, int x2, int y2, const QColor& color)
    {
        steps_.push_back({DrawStep::WindowBox, x1, y1, x2, y2, color, {}});
        return *this;
    }
    // Lines from (100, y) to (900, y), one per height.
    Steps& horizontalGrid(std::initializer_list<int> heights)
    {
        for (int y : heights)
            line(100, y, 900, y);
        return *this;
    }
    // Lines from (x, 900) up to (x, 100) for x = 200 to 700.
    Steps& verticalGrid()
    {
        for (int x : {200, 300, 400, 500, 600, 700})
            line(x, 900, x, 100);
        return *this;
    }
    // The arrow heads at the ends of the axes and the axis names.
    Steps& axisEnds(const char* verticalName)
    {
        return label(900, 950, "t").label(900, 870, ">").label(90, 100, "^").label(50, 100, verticalName);
    }
    std::vector<DrawStep> done() { return std::move(steps_); }

private:
    std::vector<DrawStep> steps_;
};

}  // namespace

std::vector<DrawStep> graph1()
{
    Steps s;
    s.label(300, 50, "velocity v vs. clock time t");
    s.line(0, 900, 900, 900);
    s.line(100, 1000, 100, 100);
    s.axisEnds("v");
    s.line(100, 900, 700, 500);
    s.label(50, 500, "4").label(50, 600, "3").label(50, 700, "2").label(50, 800, "1");
    s.horizontalGrid({500, 600, 700, 800});
    s.label(200, 950, "1").label(300, 950, "2").label(400, 950, "3");
    s.label(500, 950, "4").label(600, 950, "5").label(700, 950, "6");
    s.verticalGrid();
    s.line(370, 670, 430, 730);
    s.line(430, 670, 370, 730);
    return s.done();
}

std::vector<DrawStep> graph2()
{
    Steps s;
    s.windowBox(0, 0, 1000, 1000, white);
    s.label(10, 400, "5500").label(10, 500, "5400").label(10, 600, "5300");
    s.label(10, 700, "5200").label(10, 800, "5100").label(10, 900, "5000");
    s.horizontalGrid({400, 500, 600, 700, 800});
    s.label(200, 950, "2").label(300, 950, "4").label(400, 950, "6");
    s.label(500, 950, "8").label(590, 950, "10").label(690, 950, "12");
    s.verticalGrid();
    s.label(300, 50, "Value y (dollars) vs. clock time t (months)");
    s.line(0, 900, 900, 900);
    s.line(100, 100, 100, 900);
    s.line(250, 900, 450, 600);
    s.line(250, 900, 450, 900, red).label(300, 850, "run 4");
    s.line(450, 900, 450, 600, red).label(470, 750, "rise 300");
    s.label(250, 650, "slope 75");
    s.line(450, 600, 700, 400);
    s.line(450, 600, 700, 600, red).label(550, 550, "run 5");
    s.line(700, 600, 700, 400, red).label(720, 500, "rise 200");
    s.label(430, 450, "slope 40");
    s.axisEnds("y");
    return s.done();
}

std::vector<DrawStep> graph3()
{
    Steps s;
    s.windowBox(0, 0, 1000, 1000, white);
    s.label(10, 400, "100").label(10, 500, "80").label(10, 600, "60");
    s.label(10, 700, "40").label(10, 800, "20");
    s.horizontalGrid({400, 500, 600, 700, 800});
    s.label(200, 950, "20").label(300, 950, "40").label(400, 950, "60");
    s.label(500, 950, "80").label(590, 950, "100");
    s.verticalGrid();
    s.label(300, 50, "Depth y (dollars) vs. clock time t (seconds)");
    s.line(0, 900, 900, 900);
    s.line(100, 900, 100, 100);
    s.line(150, 500, 300, 700);
    s.line(150, 500, 300, 500, red).label(180, 440, "run 30");
    s.line(300, 500, 300, 700, red).label(320, 550, "rise -40");
    s.label(110, 650, "slope -1.33");
    s.line(300, 700, 550, 800);
    s.line(300, 700, 550, 700, green).label(430, 640, "run 50");
    s.line(550, 700, 550, 800, green).label(570, 750, "rise -20");
    s.label(300, 750, "slope -.4");
    s.axisEnds("y");
    return s.done();
}

}  // namespace graph_steps
