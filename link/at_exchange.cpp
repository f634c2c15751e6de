// One AT exchange at a time (purge, send, one read, judge the reply), and the
// query and set batches built on it.
#include <cstring>

#include "catalogue/log_record.h"
#include "link/com_device.h"
#include "link/reply_kind.h"

namespace {

// Device-side replies are read into fixed buffers of this size, so a reply
// never costs an allocation.
constexpr std::uint32_t kReplySize = 4096;

} // namespace

bool CComDevice::PurgeAndSend(const std::string& line)
{
    // A late answer to an earlier line must not be taken for this one.
    if (m_serial.IsOpen()) {
        m_serial.Purge();
    }
    LogPrintf(LOG_SEND, "%s", line.c_str());
    return m_serial.Write(line.data(), static_cast<std::uint32_t>(line.size())) != 0;
}

// Shared tail of both exchanges: read is either the abortable read bounded by
// the port's time-outs or a read with a time limit of its own.
template <typename ReadFn>
static bool JudgeExchange(char* reply, std::uint32_t size, ReadFn read)
{
    if (reply == nullptr || size == 0) {
        return false;
    }
    std::memset(reply, 0, size);
    // One byte short of the buffer, so the reply always stays a text.
    if (read(reply, size - 1) == 0) {
        return false;
    }
    switch (ClassifyReply(reply)) {
    case ReplyKind::Ok:
        LogPrintf(LOG_RECV, "%s", reply);
        return true;
    case ReplyKind::Error:
        LogPrintf(LOG_RECV, "%s", reply);
        return false;
    case ReplyKind::Neither:
        break;
    }
    return false;
}

bool CComDevice::Exchange(std::string line, char* reply, std::uint32_t size)
{
    if (!PurgeAndSend(line)) {
        return false;
    }
    return JudgeExchange(reply, size, [this](char* buffer, std::uint32_t count) {
        return m_serial.Read(buffer, count);
    });
}

bool CComDevice::ExchangeTimeout(std::string line, char* reply, std::uint32_t size,
                                 std::uint32_t milliseconds)
{
    if (!PurgeAndSend(line)) {
        return false;
    }
    return JudgeExchange(reply, size, [this, milliseconds](char* buffer, std::uint32_t count) {
        return m_serial.ReadTimeout(buffer, count, milliseconds);
    });
}

bool CComDevice::Query(AtRequest& request)
{
    const AtCommand* command = FindAtCommand(request.atKey);
    if (command == nullptr) {
        return false;
    }
    char reply[kReplySize];
    if (!Exchange(command->BuildQuery(), reply, sizeof reply)) {
        return false;
    }
    std::string value;
    command->ParseReplyLoose(reply, value);
    request.reply = std::move(value);
    return true;
}

bool CComDevice::Set(const AtRequest& request)
{
    const AtCommand* command = FindAtCommand(request.atKey);
    if (command == nullptr) {
        return false;
    }
    char reply[kReplySize];
    return Exchange(command->BuildSet(request.value), reply, sizeof reply);
}

bool CComDevice::Reboot()
{
    AtRequest request;
    request.atKey = "AT_REBOOT";
    return Set(request);
}

bool CComDevice::RestoreFactory()
{
    AtRequest request;
    request.atKey = "AT_FACTORY";
    return Set(request);
}

void CComDevice::CollectQueries(const std::set<std::string>& ids,
                                std::vector<AtRequest>& out) const
{
    // Two ids that share an AT key would read the same module value: it is
    // queried once, on behalf of the first id in byte order.
    std::set<std::string> usedKeys;
    for (const std::string& id : ids) {
        const ConfigParam* param = FindConfigParam(id);
        if (param == nullptr || FindAtCommand(param->atKey) == nullptr) {
            continue;
        }
        if (!usedKeys.insert(param->atKey).second) {
            continue;
        }
        AtRequest request;
        request.atKey = param->atKey;
        request.configId = id;
        out.push_back(std::move(request));
    }
}

void CComDevice::CollectSets(const ParamValueMap& values, std::vector<AtRequest>& out) const
{
    for (const auto& [id, value] : values) {
        const ConfigParam* param = FindConfigParam(id);
        if (param == nullptr || FindAtCommand(param->atKey) == nullptr) {
            continue;
        }
        AtRequest request;
        request.atKey = param->atKey;
        request.configId = id;
        request.value = value;
        out.push_back(std::move(request));
    }
}
