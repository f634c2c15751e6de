#include "tests/support/sim_at_table.h"

#include <cctype>
#include <iterator>

namespace {

const SimAtRow kRows[] = {
    {"AT_REBOOT", "", "+SRS", ""},
    {"AT_FACTORY", "", "+FAC", ""},
    {"AT_VER", "+VER", "", "SW VER"},
    {"AT_MOD", "+MOD?", "+MOD", "+MOD"},
    {"AT_DBL", "+DBL?", "+DBL", "+DBL"},
    {"AT_SLE", "+SLE?", "+SLE", "+SLE"},
    {"AT_PPT", "+PPT?", "+PPT", "+PPT"},
    {"AT_STC", "+STC?", "+STC", "+STC"},
    {"AT_WTC", "+WTC?", "+WTC", "+WTC"},
    {"AT_IPR", "+IPR?", "+IPR", "+IPR"},
    {"AT_PAR", "+PAR?", "+PAR", "+PAR"},
    {"AT_STO", "+STO?", "+STO", "+STO"},
    {"AT_ITV", "+ITV?", "+ITV", "+ITV"},
    {"AT_RID", "+RID?", "+RID", "+RID"},
    {"AT_NID", "+NID?", "+NID", "+NID"},
    {"AT_TID", "+TID?", "+TID", "+TID"},
    {"AT_LFR", "+LFR?", "+LFR", "+LFR"},
    {"AT_TPR", "+TPR?", "+TPR", "+TPR"},
    {"AT_LRS", "+LRS?", "+LRS", "+LRS"},
    {"AT_DDM", "+DDM?", "+DDM", "+DDM"},
    {"AT_INF", "+INF?", "+INF", "+INF"},
    {"AT_PID", "+PID?", "+PID", "+PID"},
    {"AT_YTP", "+TYP?", "+TYP", "+TYP"},
    {"AT_DEI", "+DEI?", "+DEI", "+DEI"},
    {"AT_AEI", "+AEI?", "+AEI", "+AEI"},
    {"AT_AKY", "+AKY?", "+AKY", "+AKY"},
    {"AT_CLA", "+CLA?", "+CLA", "+CLA"},
    {"AT_CFM", "+CFM?", "+CFM", "+CFM"},
    {"AT_DM1", "+DM1?", "+DM1", "+DM1"},
    {"AT_DM2", "+DM2?", "+DM2", "+DM2"},
    {"AT_DM3", "+DM3?", "+DM3", "+DM3"},
    {"AT_DM4", "+DM4?", "+DM4", "+DM4"},
    {"AT_DM5", "+DM5?", "+DM5", "+DM5"},
    {"AT_DT1", "+DT1?", "+DT1", "+DT1"},
    {"AT_DT2", "+DT2?", "+DT2", "+DT2"},
    {"AT_DT3", "+DT3?", "+DT3", "+DT3"},
    {"AT_DT4", "+DT4?", "+DT4", "+DT4"},
    {"AT_DT5", "+DT5?", "+DT5", "+DT5"},
    {"AT_CVS", "+CVS?", "+CVS", "+CVS"},
    {"AT_ADL", "+ADL?", "+ADL", "+ADL"},
    {"AT_AUL", "+AUL?", "+AUL", "+AUL"},
    {"AT_TDL", "+TDL?", "+TDL", "+TDL"},
    {"AT_TUL", "+TUL?", "+TUL", "+TUL"},
    {"AT_CAM", "+CAM?", "+CAM", "+CAM"},
    {"AT_AJN", "+AJN?", "+AJN", "+AJN"},
    {"AT_PHT", "+PHT?", "+PHT", "+PHT"},
    {"AT_GMR", "+GMR", "", "+GMR"},
    {"AT_LRWAN_TYP", "+TYP?", "+TYP", "+TYP"},
};

// Values a K7R40 leaves the factory with. Chosen to be plausible for the
// module, not copied from the tool's initial page values.
const std::pair<const char*, const char*> kFactory[] = {
    {"+MOD", "0"},      {"+DBL", "0"},     {"+SLE", "0"},     {"+PPT", "2"},
    {"+STC", "2"},      {"+WTC", "50"},    {"+IPR", "5"},     {"+PAR", "0"},
    {"+STO", "0"},      {"+ITV", "20"},    {"+RID", "1000"},  {"+NID", "13654"},
    {"+TID", "0"},      {"+LFR", "470"},   {"+TPR", "20"},    {"+LRS", "3"},
    {"+DDM", "0"},      {"+INF", "0"},     {"+PID", "13654"}, {"+TYP", "2"},
    {"+DEI", "00:95:69:06:00:00:1A:2B"},   {"+AEI", "00:95:69:00:00:00:00:01"},
    {"+AKY", "2B:7E:15:16:28:AE:D2:A6:AB:F7:15:88:09:CF:4F:3C"},
    {"+CLA", "A"},      {"+CFM", "0"},     {"+DM1", "0"},     {"+DM2", "0"},
    {"+DM3", "0"},      {"+DM4", "0"},     {"+DM5", "0"},     {"+DT1", "60"},
    {"+DT2", "60"},     {"+DT3", "60"},    {"+DT4", "60"},    {"+DT5", "60"},
    {"+CVS", "0"},      {"+ADL", "0"},     {"+AUL", "0"},     {"+TDL", "0"},
    {"+TUL", "0"},      {"+CAM", "0"},     {"+AJN", "1"},     {"+PHT", "60"},
};

bool EqualNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

template <typename Field>
const SimAtRow* FindBy(const std::string& cmd, Field field) {
    if (cmd.empty()) return nullptr;
    for (const SimAtRow& row : kRows) {
        if (EqualNoCase(cmd, row.*field)) return &row;
    }
    return nullptr;
}

}  // namespace

const SimAtRow* SimAtRows(int& count) {
    count = static_cast<int>(std::size(kRows));
    return kRows;
}

const SimAtRow* FindSimAtRow(const std::string& keyOrCommand) {
    for (const SimAtRow& row : kRows) {
        if (keyOrCommand == row.key || (row.setCmd[0] != '\0' && keyOrCommand == row.setCmd) ||
            (row.replyTag[0] != '\0' && keyOrCommand == row.replyTag))
            return &row;
    }
    return nullptr;
}

const SimAtRow* FindSimAtQuery(const std::string& cmd) { return FindBy(cmd, &SimAtRow::queryCmd); }

const SimAtRow* FindSimAtSet(const std::string& cmd) { return FindBy(cmd, &SimAtRow::setCmd); }

std::map<std::string, std::string> SimFactoryValues(const std::string& flavour) {
    std::map<std::string, std::string> values;
    for (const auto& [tag, value] : kFactory) values[tag] = value;
    // A LoRaWAN module leaves the factory as an end device, which its list numbers 0.
    if (EqualNoCase(flavour, "LRWAN")) values["+TYP"] = "0";
    return values;
}
