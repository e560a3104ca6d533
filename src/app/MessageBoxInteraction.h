// The window's side of the interaction interface: every message is a modal
// message box over the given parent window, with a check box under the text
// when one is asked for.
#pragma once
#include "Interaction.h"

class QWidget;

class CMessageBoxInteraction : public IInteraction {
public:
    explicit CMessageBoxInteraction(QWidget* parent = nullptr) : parent_(parent) {}
    int Show(int id, unsigned flags, const std::string& text) override;
    int ShowChecked(int id, unsigned flags, const std::string& text, MessageCheck& check) override;

private:
    QWidget* parent_;
};
