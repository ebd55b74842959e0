#pragma once

#include <QColor>
#include <QString>

#include <optional>
#include <vector>

// One drawing step of a figure, in Picture1's 1000-by-1000 scale.
struct DrawStep {
    enum Kind { Line, Label, WindowBox };
    Kind kind;
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    std::optional<QColor> color;  // none: the box's foreground colour
    QString text;
};

// The three built-in graphs as ordered step tables. Every point, colour and
// text is a constant of its figure.
namespace graph_steps {

std::vector<DrawStep> graph1();
std::vector<DrawStep> graph2();
std::vector<DrawStep> graph3();

}  // namespace graph_steps
