#pragma once

// Qt's own texts (the file chooser's labels, the message boxes' buttons) in
// the interface language: Qt's Chinese translations for language 2, Qt's
// English otherwise. Called once the language is settled; calling it again
// replaces what an earlier call installed. Without the translation files the
// texts stay English.
void InstallQtTranslations(int language);
