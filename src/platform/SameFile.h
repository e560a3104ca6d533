// Whether two paths name the same file or device (through links, and a
// device node and another node of the same device alike), so that a card
// is never copied onto itself.
#pragma once
#include <string>

// False when either cannot be looked at.
bool SameFile(const std::string& a, const std::string& b);
