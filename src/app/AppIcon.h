// Icon 128, the program's window icon: a memory card with a play mark.
#pragma once
#include <QIcon>

// The icon from the compiled-in image; a null icon when it is missing.
QIcon AppIcon();
