#pragma once

// Qt's own texts (the file chooser's labels, the message boxes' buttons) and
// formats (the file chooser's file types, sizes and dates) in the interface
// language: Qt's Chinese translations and the zh_CN locale for language 2,
// Qt's English and the en_US locale otherwise, whatever the desktop's locale.
// Called once the language is settled; calling it again replaces what an
// earlier call installed. Without the translation files the texts stay
// English.
void InstallQtLanguage(int language);
