// Runs an action when one key is pressed while a widget has the focus (the
// Delete key in the main window's lists). The key press goes no further.
#pragma once
#include <QObject>

#include <functional>

class QWidget;

class CKeyAction : public QObject {
    Q_OBJECT

public:
    // A child of `widget`, watching its key presses.
    CKeyAction(QWidget* widget, int key, std::function<void()> action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int key_;
    std::function<void()> action_;
};
