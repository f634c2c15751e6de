#include "ui/com_option_dlg.h"

#include <cstdint>
#include <span>

#include "catalogue/lang_text.h"
#include "resources/com_option_ids.h"
#include "resources/dialog_templates.h"
#include "ui/combo_box.h"
#include "ui/controls.h"
#include "ui/lang_captions.h"

namespace {

// Entry i of a combo box shows text i and stands for value i.
struct Choice {
    const char* text;
    std::uint32_t value;
};

// Stop bits and parity are the codes CSerial::Open takes.
constexpr Choice kBaudRates[] = {{"600", 600},     {"1200", 1200},    {"2400", 2400},
                                 {"4800", 4800},   {"9600", 9600},    {"14400", 14400},
                                 {"19200", 19200}, {"38400", 38400},  {"56000", 56000},
                                 {"57600", 57600}, {"115200", 115200}};
constexpr Choice kDataBits[] = {{"6", 6}, {"7", 7}, {"8", 8}};
constexpr Choice kStopBits[] = {{"1", 0}, {"1.5", 1}, {"2", 2}};
constexpr Choice kParities[] = {{"none", 0}, {"odd", 1}, {"even", 2}, {"mark", 3}, {"space", 4}};

// One box: its list, the record's field it shows and sets, and the position
// shown when the field holds a value the list lacks.
struct Box {
    int id;
    std::span<const Choice> choices;
    std::uint32_t ComPortSettings::*field;
    int defaultIndex;  // "115200", "8", "1" and "none"
};
constexpr Box kBoxes[] = {
    {IDC_COMOPT_COMBO_BAUDRATE, kBaudRates, &ComPortSettings::baud, 10},
    {IDC_COMOPT_COMBO_DATABITS, kDataBits, &ComPortSettings::dataBits, 2},
    {IDC_COMOPT_COMBO_STOPBITS, kStopBits, &ComPortSettings::stopBits, 0},
    {IDC_COMOPT_COMBO_PARITY, kParities, &ComPortSettings::parity, 0},
};

constexpr LangCaption kCaptions[] = {
    {IDC_COMOPT_STATIC_BAUDRATE, TEXT_PORT_BAUDRATE},
    {IDC_COMOPT_STATIC_DATABITS, TEXT_PORT_BITS},
    {IDC_COMOPT_STATIC_STOPBITS, TEXT_PORT_STOPBITS},
    {IDC_COMOPT_STATIC_PARITY, TEXT_PORT_PARITY},
    {IDOK, TEXT_OK},
    {IDCANCEL, TEXT_CANCEL},
};

// The boxes carry the sorted style, so every entry goes to an explicit
// position: "1200" must not sort in front of "600".
void ShowList(ComboBox* combo, std::span<const Choice> choices) {
    combo->ResetContent();
    for (std::size_t i = 0; i < choices.size(); ++i)
        combo->InsertString(static_cast<int>(i), choices[i].text);
}

void SelectValue(ComboBox* combo, std::span<const Choice> choices, std::uint32_t held,
                 int defaultIndex) {
    combo->SetCurSel(defaultIndex);
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].value == held) {
            combo->SetCurSel(static_cast<int>(i));
            return;
        }
    }
}

void TakeSelection(const ComboBox* combo, std::span<const Choice> choices, std::uint32_t& field) {
    const int selected = combo->GetCurSel();
    if (selected >= 0 && static_cast<std::size_t>(selected) < choices.size())
        field = choices[selected].value;
}

}  // namespace

CComOptionDlg::CComOptionDlg(QWidget* parent) : TemplateDialog(g_comOptionTemplate, parent) {}

bool CComOptionDlg::OnInitDialog() {
    CenterWindow();
    ApplyLanguageTexts();
    for (const Box& box : kBoxes) {
        ComboBox* combo = Combo(box.id);
        ShowList(combo, box.choices);
        SelectValue(combo, box.choices, m_settings.*box.field, box.defaultIndex);
    }
    return true;
}

void CComOptionDlg::ApplyLanguageTexts() {
    SetWindowText(this, GetLangText(TEXT_PORT_SETTING_TITLE));
    SetLangCaptions(*this, kCaptions);
}

void CComOptionDlg::OnOK() {
    for (const Box& box : kBoxes) TakeSelection(Combo(box.id), box.choices, m_settings.*box.field);
    TemplateDialog::OnOK();
}
