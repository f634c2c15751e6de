#pragma once

#include <span>

#include "ui/pages/config_page_helper.h"
#include "ui/template_dialog.h"

// One value control of a page: the configuration id it shows, the control,
// and the static that carries the parameter's catalogue label.
struct PageBinding {
    const char* configId;
    int controlId;
    int labelId;
};

// What the six configuration pages share beyond CConfigPageHelper: a child
// dialog built from its template whose bindings and labels come from one
// table, in the table's order.
class CConfigPage : public TemplateDialog, public CConfigPageHelper {
    Q_OBJECT
public:
    CConfigPage(const DialogTemplate& dialogTemplate, std::span<const PageBinding> bindings);

protected:
    // The dialog's own initialisation, then labels, bindings and the
    // catalogue's initial values.
    bool OnInitDialog() override;
    void BindControls() override;
    // Each bound label shows the catalogue label in the interface language;
    // an id the catalogue does not know keeps the template text.
    void UpdateLabels() override;

    // Hides the bound control of configId with its label and disables the
    // control; it stays bound, so GetValues still collects it.
    void HideBoundRow(const char* configId);

private:
    std::span<const PageBinding> m_bindings;
};
