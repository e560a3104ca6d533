#include "Interaction.h"

#include "Texts.h"

#include <cstdarg>

int ShowMessage(IInteraction& ui, int id, unsigned flags, ...)
{
    va_list args;
    va_start(args, flags);
    std::string text = FormatTextV(id, args);
    va_end(args);
    return ui.Show(id, flags, text);
}

int ShowMessagePath(IInteraction& ui, int id, unsigned flags, const std::string& path)
{
    return ui.Show(id, flags, InsertArgument(LoadText(id), path));
}
