#pragma once

#include <QPushButton>

// A command button whose caption wraps inside the button in a small face, as
// on a classic dialog button, so that long captions stay readable in the
// window's narrow buttons. The face is the window's small sans-serif one.
class CaptionButton : public QPushButton {
    Q_OBJECT
public:
    explicit CaptionButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
