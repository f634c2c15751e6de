// The connection to one K7R40 module on a PC serial port: AT exchanges,
// command mode, identification, parameter batches, the receive thread and
// the framed firmware transfer. Not safe for concurrent use: one worker runs
// exchanges at a time (see the threading notes on each group below).
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/config_param.h"
#include "catalogue/product_version.h"
#include "link/at_command.h"
#include "link/serial.h"

// Configuration id -> value text, as the pages and the batches exchange them.
using ParamValueMap = std::map<std::string, std::string>;

// The PC port's line settings. stopBits and parity use the Win32 DCB codes
// that CSerial::Open takes (stop bits 0/1/2 = 1/1.5/2; parity 0 none, 1 odd,
// 2 even, 3 mark, 4 space).
struct ComPortSettings {
    std::uint32_t baud;
    std::uint32_t dataBits;
    std::uint32_t stopBits;
    std::uint32_t parity;
};

// One row of the firmware profile table. An empty pattern field
// matches every module. Each id list ends with an empty string; null means
// "no list".
struct VersionProfile {
    const char* model;
    const char* band;
    const char* flavour;
    const char* version;
    const char* suffix;
    const std::string* includeIds;
    const std::string* excludeIds;
};

// Bytes from the receive thread: (data, length, user). Runs on that thread.
using ReceiveCallback = std::function<void(char* data, unsigned long length, void* user)>;
using VersionParser = std::function<int(std::string& reply, product_version_id& out)>;
// Called once per firmware frame sent, on the transferring thread.
using UpgradeStep = std::function<void(int)>;

class CComDevice {
public:
    CComDevice();
    ~CComDevice();
    CComDevice(const CComDevice&) = delete;
    CComDevice& operator=(const CComDevice&) = delete;

    // Start-up configuration, once, in this order, before any other use.
    void LoadAtCommands();
    void LoadConfigParams();
    void SetVersionParser(VersionParser parser);
    void RegisterVersionParams(std::string model, std::string band, std::string flavour,
                               std::string version, std::string suffix,
                               const std::string* includeIds, const std::string* excludeIds);

    const AtCommand* FindAtCommand(const std::string& atKey) const;
    const ConfigParam* FindConfigParam(const std::string& configId) const;
    product_version_id GetVersionId() const;

    // Port (UI thread). Close also stops the receive thread and forgets the
    // module; it must not run while a worker uses the device.
    bool Open(std::string portName, const ComPortSettings& settings);
    void Close();
    // Read total time-out: the upgrade value of ParamCfg.ini when upgrade is
    // true, else the normal one (the file is read at every call).
    bool SetTimeouts(bool upgrade);

    // Exchanges (worker thread). The reply is always zero-terminated within
    // size bytes; true iff it holds "\r\nOK\r\n".
    bool Exchange(std::string line, char* reply, std::uint32_t size);
    bool ExchangeTimeout(std::string line, char* reply, std::uint32_t size,
                         std::uint32_t milliseconds);
    // Up to three "+++" tries; the port's abort event ends the tries at once.
    bool EnterCommandMode();
    // textId names the failure: 55 "Failed to check version", 54 "Cannot
    // recognize version". A failure leaves identity, set and version text.
    bool IdentifyVersion(int& textId);
    bool QueryGmr();
    void CollectQueries(const std::set<std::string>& ids, std::vector<AtRequest>& out) const;
    void CollectSets(const ParamValueMap& values, std::vector<AtRequest>& out) const;
    bool Query(AtRequest& request);
    bool Set(const AtRequest& request);
    bool Reboot();
    bool RestoreFactory();

    // Parameter-file lines "tag:value\r\n" for every known parameter.
    void WriteParamLines(const ParamValueMap& values, std::FILE* stream) const;

    // Receive thread: hands received bytes to callback until stopped, the port
    // is closed or the port goes away.
    bool StartEventThread(ReceiveCallback callback, void* user);
    bool StopEventThread();

    // Firmware transfer: 1 complete, 0 stopped (running cleared, the port's
    // abort event set, or the port went away). Both are looked at before each
    // handshake request and frame; the event also ends every wait at once.
    int Upgrade(const std::uint8_t* image, int size, int block,
                const std::atomic<int>* running, UpgradeStep step);
    // 1 when every byte of the frame went out.
    int SendUpgradeFrame(const std::uint8_t* data, int length, bool last);

private:
    void RebuildSupportedParams();
    void EventLoop();
    bool PurgeAndSend(const std::string& line);

public:
    CSerial m_serial;
    std::string m_portName;

private:
    std::map<std::string, const AtCommand*> m_atCommands;
    std::map<std::string, const ConfigParam*> m_configParams;
    std::map<product_version_id, std::set<std::string>> m_includeParams;
    std::map<product_version_id, std::set<std::string>> m_excludeParams;
    product_version_id m_versionId;

public:
    std::string m_versionText;
    std::string m_gmrText;

private:
    VersionParser m_versionParser;
    ReceiveCallback m_receiveCallback;
    void* m_receiveUser = nullptr;
    std::unique_ptr<std::thread> m_eventThread;
    std::atomic<int> m_eventThreadRunning{0};

public:
    std::set<std::string> m_supportedParams;
    ParamValueMap m_paramValues;
    std::string m_upgradeFile;
};
