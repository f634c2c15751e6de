#include <mutex>

#include "link/at_command.h"

const AtCommand* g_atCommands[kAtCommandCount + 1];

namespace {

struct AtRow {
    const char* key;
    const char* queryCmd;
    const char* setCmd;
    const char* replyTag;
};

// key, query suffix, set suffix, reply tag.
constexpr AtRow kAtRows[kAtCommandCount] = {
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
    {"AT_YTP", "+TYP?", "+TYP", "+TYP"},  // device type of STANDARD V2 firmware
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
    {"AT_CVS", "+CVS?", "+CVS", "+CVS"},  // AT_CVS to AT_TUL: kept as data, never sent
    {"AT_ADL", "+ADL?", "+ADL", "+ADL"},
    {"AT_AUL", "+AUL?", "+AUL", "+AUL"},
    {"AT_TDL", "+TDL?", "+TDL", "+TDL"},
    {"AT_TUL", "+TUL?", "+TUL", "+TUL"},
    {"AT_CAM", "+CAM?", "+CAM", "+CAM"},
    {"AT_AJN", "+AJN?", "+AJN", "+AJN"},
    {"AT_PHT", "+PHT?", "+PHT", "+PHT"},
    {"AT_GMR", "+GMR", "", "+GMR"},
    {"AT_LRWAN_TYP", "+TYP?", "+TYP", "+TYP"},  // device type of LRWAN firmware: same command
};

std::once_flag g_atTableOnce;

// The first of the tool's own static objects: the catalogue and the device
// name rows of this table by key.
const bool g_atTableBuilt = (InitAtCommandTable(), true);

}  // namespace

void InitAtCommandTable() {
    std::call_once(g_atTableOnce, [] {
        for (int i = 0; i < kAtCommandCount; ++i) {
            const AtRow& row = kAtRows[i];
            g_atCommands[i] = new AtCommand(row.key, row.queryCmd, row.setCmd, row.replyTag);
        }
        g_atCommands[kAtCommandCount] = nullptr;
    });
}
