#pragma once

#include <span>

class TemplateDialog;

// A control whose caption is one text of the interface language.
struct LangCaption {
    int controlId;
    int textId;
};

// Gives each control its text in the current interface language.
void SetLangCaptions(TemplateDialog& dialog, std::span<const LangCaption> captions);
