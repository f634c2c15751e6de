#include "ui/com_option_dlg.h"

#include "catalogue/lang_text.h"
#include "resources/com_option_ids.h"
#include "resources/dialog_templates.h"
#include "ui/combo_box.h"
#include "ui/controls.h"

namespace {

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

// Positions of "115200", "8", "1" and "none".
constexpr int kDefaultBaudRate = 10;
constexpr int kDefaultDataBits = 2;
constexpr int kDefaultStopBits = 0;
constexpr int kDefaultParity = 0;

template <std::size_t N>
void FillList(const Choice (&choices)[N], std::vector<std::string>& texts,
              std::vector<std::uint32_t>& values) {
    texts.clear();
    values.clear();
    for (const Choice& choice : choices) {
        texts.emplace_back(choice.text);
        values.push_back(choice.value);
    }
}

// The boxes carry the sorted style, so every entry goes to an explicit
// position: "1200" must not sort in front of "600".
void ShowList(ComboBox* combo, const std::vector<std::string>& texts) {
    combo->ResetContent();
    for (std::size_t i = 0; i < texts.size(); ++i)
        combo->InsertString(static_cast<int>(i), texts[i]);
}

void SelectValue(ComboBox* combo, const std::vector<std::uint32_t>& values, std::uint32_t held,
                 int defaultIndex) {
    combo->SetCurSel(defaultIndex);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] == held) {
            combo->SetCurSel(static_cast<int>(i));
            return;
        }
    }
}

void TakeSelection(const ComboBox* combo, const std::vector<std::uint32_t>& values,
                   std::uint32_t& field) {
    const int selected = combo->GetCurSel();
    if (selected >= 0 && static_cast<std::size_t>(selected) < values.size())
        field = values[selected];
}

}  // namespace

CComOptionDlg::CComOptionDlg(QWidget* parent) : TemplateDialog(g_comOptionTemplate, parent) {}

bool CComOptionDlg::OnInitDialog() {
    CenterWindow();
    ApplyLanguageTexts();
    FillLists();
    struct Box {
        int id;
        const std::vector<std::string>& texts;
        const std::vector<std::uint32_t>& values;
        std::uint32_t held;
        int defaultIndex;
    };
    const Box boxes[] = {
        {IDC_COMOPT_COMBO_BAUDRATE, m_baudRateTexts, m_baudRateValues, m_settings.baud,
         kDefaultBaudRate},
        {IDC_COMOPT_COMBO_DATABITS, m_dataBitsTexts, m_dataBitsValues, m_settings.dataBits,
         kDefaultDataBits},
        {IDC_COMOPT_COMBO_STOPBITS, m_stopBitsTexts, m_stopBitsValues, m_settings.stopBits,
         kDefaultStopBits},
        {IDC_COMOPT_COMBO_PARITY, m_parityTexts, m_parityValues, m_settings.parity, kDefaultParity},
    };
    for (const Box& box : boxes) {
        ComboBox* combo = Combo(box.id);
        ShowList(combo, box.texts);
        SelectValue(combo, box.values, box.held, box.defaultIndex);
    }
    return true;
}

void CComOptionDlg::ApplyLanguageTexts() {
    SetWindowText(this, GetLangText(TEXT_PORT_SETTING_TITLE));
    SetDlgItemText(IDC_COMOPT_STATIC_BAUDRATE, GetLangText(TEXT_PORT_BAUDRATE));
    SetDlgItemText(IDC_COMOPT_STATIC_DATABITS, GetLangText(TEXT_PORT_BITS));
    SetDlgItemText(IDC_COMOPT_STATIC_STOPBITS, GetLangText(TEXT_PORT_STOPBITS));
    SetDlgItemText(IDC_COMOPT_STATIC_PARITY, GetLangText(TEXT_PORT_PARITY));
    SetDlgItemText(IDOK, GetLangText(TEXT_OK));
    SetDlgItemText(IDCANCEL, GetLangText(TEXT_CANCEL));
}

void CComOptionDlg::FillLists() {
    FillList(kBaudRates, m_baudRateTexts, m_baudRateValues);
    FillList(kDataBits, m_dataBitsTexts, m_dataBitsValues);
    FillList(kStopBits, m_stopBitsTexts, m_stopBitsValues);
    FillList(kParities, m_parityTexts, m_parityValues);
}

void CComOptionDlg::OnOK() {
    TakeSelection(Combo(IDC_COMOPT_COMBO_BAUDRATE), m_baudRateValues, m_settings.baud);
    TakeSelection(Combo(IDC_COMOPT_COMBO_DATABITS), m_dataBitsValues, m_settings.dataBits);
    TakeSelection(Combo(IDC_COMOPT_COMBO_STOPBITS), m_stopBitsValues, m_settings.stopBits);
    TakeSelection(Combo(IDC_COMOPT_COMBO_PARITY), m_parityValues, m_settings.parity);
    TemplateDialog::OnOK();
}
