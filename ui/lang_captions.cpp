#include "ui/lang_captions.h"

#include "catalogue/lang_text.h"
#include "ui/template_dialog.h"

void SetLangCaptions(TemplateDialog& dialog, std::span<const LangCaption> captions) {
    for (const LangCaption& caption : captions) {
        dialog.SetDlgItemText(caption.controlId, GetLangText(caption.textId));
    }
}
