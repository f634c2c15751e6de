// Command mode, identification of the module and the set of configuration
// ids that its firmware supports.
#include <chrono>

#include "link/com_device.h"

namespace {

constexpr std::uint32_t kPlusTimeoutMs = 500;
constexpr int kPlusTries = 3;
constexpr std::chrono::milliseconds kRetryPause{100};
constexpr int kTextFailedToCheck = 55;
constexpr int kTextCannotRecognize = 54;

} // namespace

// A Cancel (the port's abort event) ends the tries and pauses here at once
// and sends nothing more: it must not wait for up to six "+++" tries.
bool CComDevice::EnterCommandMode()
{
    char reply[4096];
    for (int attempt = 1;; ++attempt) {
        if (m_serial.m_hAbort.IsSet()) {
            return false;
        }
        if (ExchangeTimeout("+++", reply, sizeof reply, kPlusTimeoutMs)) {
            return true;
        }
        if (attempt == kPlusTries || m_serial.m_hAbort.WaitFor(kRetryPause)) {
            return false;
        }
    }
}

bool CComDevice::IdentifyVersion(int& textId)
{
    textId = kTextFailedToCheck;
    if (!m_serial.IsOpen()) {
        return false;
    }
    if (!EnterCommandMode()) {
        if (m_serial.m_hAbort.WaitFor(kRetryPause) || !EnterCommandMode()) {
            return false;
        }
    }
    if (m_serial.m_hAbort.IsSet()) {
        return false;
    }
    AtRequest request;
    request.atKey = "AT_VER";
    if (!Query(request) || !m_versionParser) {
        return false;
    }
    // The parser upper-cases the reply in place; that text is kept.
    if (m_versionParser(request.reply, m_versionId) == 0) {
        textId = kTextCannotRecognize;
        return false;
    }
    RebuildSupportedParams();
    m_versionText = request.reply;
    return true;
}

bool CComDevice::QueryGmr()
{
    if (!m_serial.IsOpen()) {
        return false;
    }
    AtRequest request;
    request.atKey = "AT_GMR";
    if (!Query(request)) {
        return false;
    }
    m_gmrText = request.reply;
    return true;
}

void CComDevice::RebuildSupportedParams()
{
    // Every leave-out is applied after every include, so a leave-out wins
    // whichever row brought the id in.
    m_supportedParams.clear();
    for (const auto& [pattern, ids] : m_includeParams) {
        if (product_version_id::Matches(pattern, m_versionId)) {
            m_supportedParams.insert(ids.begin(), ids.end());
        }
    }
    for (const auto& [pattern, ids] : m_excludeParams) {
        if (product_version_id::Matches(pattern, m_versionId)) {
            for (const std::string& id : ids) {
                m_supportedParams.erase(id);
            }
        }
    }
}
