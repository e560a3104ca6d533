// Qt's own texts (the buttons of message boxes, the file dialogs, the
// context menus of text fields) in the interface language: Qt's
// translation catalogue for Russian is installed while the language is
// Russian and removed for English.
#pragma once

// Follows interface language `language` (0 English, non-zero Russian).
// False when Russian was asked for and Qt's catalogue could not be loaded;
// Qt's texts then stay English.
bool SetQtLanguage(int language);
