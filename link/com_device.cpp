// Construction, start-up configuration, lookups, opening and closing the
// port, and the parameter-file lines. Exchanges, command mode, the receive
// thread and the firmware transfer live in files of their own.
#include "link/com_device.h"

#include "catalogue/app_directory.h"
#include "catalogue/lang_text.h"
#include "catalogue/log_record.h"
#include "link/serial_open_error.h"
#include "platform/profile.h"

CComDevice::CComDevice() = default;

CComDevice::~CComDevice()
{
    // A receive thread must never outlive the device it reads through. No
    // Close here: destruction logs nothing and resets nothing.
    if (m_eventThread) {
        StopEventThread();
    }
}

void CComDevice::LoadAtCommands()
{
    for (auto row = g_atCommands; *row != nullptr; ++row) {
        m_atCommands[(*row)->key] = *row;
    }
}

void CComDevice::LoadConfigParams()
{
    for (auto row = g_configParams; *row != nullptr; ++row) {
        m_configParams[(*row)->configId] = *row;
    }
}

void CComDevice::SetVersionParser(VersionParser parser)
{
    m_versionParser = std::move(parser);
    m_versionId = product_version_id();
}

namespace {

void MergeIds(std::set<std::string>& into, const std::string* ids)
{
    for (; !ids->empty(); ++ids) {
        into.insert(*ids);
    }
}

} // namespace

void CComDevice::RegisterVersionParams(std::string model, std::string band, std::string flavour,
                                       std::string version, std::string suffix,
                                       const std::string* includeIds,
                                       const std::string* excludeIds)
{
    product_version_id pattern;
    pattern.model = std::move(model);
    pattern.band = std::move(band);
    pattern.flavour = std::move(flavour);
    pattern.version = std::move(version);
    pattern.suffix = std::move(suffix);
    if (includeIds != nullptr) {
        MergeIds(m_includeParams[pattern], includeIds);
    }
    if (excludeIds != nullptr) {
        MergeIds(m_excludeParams[pattern], excludeIds);
    }
}

const AtCommand* CComDevice::FindAtCommand(const std::string& atKey) const
{
    auto it = m_atCommands.find(atKey);
    return it == m_atCommands.end() ? nullptr : it->second;
}

const ConfigParam* CComDevice::FindConfigParam(const std::string& configId) const
{
    auto it = m_configParams.find(configId);
    return it == m_configParams.end() ? nullptr : it->second;
}

product_version_id CComDevice::GetVersionId() const
{
    return m_versionId;
}

bool CComDevice::Open(std::string portName, const ComPortSettings& settings)
{
    // A receive thread reads through the handle about to be replaced; it must
    // not carry on with the new one unnoticed.
    if (m_eventThread) {
        StopEventThread();
    }
    if (m_serial.IsOpen()) {
        m_serial.Close();
    }
    // CSerial takes parity before stop bits, the record keeps them the other
    // way round.
    const bool opened = m_serial.Open(portName, settings.baud,
                                      static_cast<std::uint8_t>(settings.dataBits),
                                      static_cast<std::uint8_t>(settings.parity),
                                      static_cast<std::uint8_t>(settings.stopBits));
    if (!opened) {
        LogPrintf(LOG_INFO, "open %s fail", portName.c_str());
        const OpenFailure failure = m_serial.LastOpenFailure();
        const std::string group = failure.error == OpenError::PermissionDenied
                                      ? DeviceNodeGroup("/dev/" + portName)
                                      : std::string();
        LogPrintf(LOG_ERROR, "%s", DescribeOpenFailure(failure, group, g_language).c_str());
        return false;
    }
    LogPrintf(LOG_INFO, "open %s success", portName.c_str());
    m_portName = std::move(portName);
    return true;
}

void CComDevice::Close()
{
    // Closing the port first wakes a receive thread out of its wait, so the
    // join below is quick.
    m_serial.Close();
    m_supportedParams.clear();
    m_versionId.band.clear();
    m_versionId.version.clear();
    m_versionText.clear();
    if (m_eventThread) {
        StopEventThread();
    }
    m_paramValues.clear();
    m_portName.clear();
    LogPrintf(LOG_INFO, "close com port");
}

bool CComDevice::SetTimeouts(bool upgrade)
{
    if (!m_serial.IsOpen()) {
        return false;
    }
    const std::string file = GetSettingsFilePath();
    const int value = upgrade
        ? ReadProfileInt("UPGRADE_COM_TIMEOUT_PARAM", "ReadTotalTimeoutConstant", 300, file)
        : ReadProfileInt("COM_TIMEOUT_PARAM", "ReadTotalTimeoutConstant", 1000, file);
    COMMTIMEOUTS timeouts = m_serial.GetTimeouts();
    timeouts.ReadTotalTimeoutConstant = static_cast<std::uint32_t>(value);
    return m_serial.SetTimeouts(timeouts);
}

void CComDevice::WriteParamLines(const ParamValueMap& values, std::FILE* stream) const
{
    for (const auto& [configId, value] : values) {
        const ConfigParam* param = FindConfigParam(configId);
        if (param == nullptr) {
            continue;
        }
        const AtCommand* command = FindAtCommand(param->atKey);
        if (command == nullptr) {
            continue;
        }
        // Written as bytes, not through a format: the value is the module's
        // own text and is kept byte for byte.
        const std::string line = command->FormatReplyLine(value) + "\r\n";
        std::fwrite(line.data(), 1, line.size(), stream);
    }
}
