// Settings records and the typed stores they are exchanged with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pennoria {

class CSettingsStore;

// A record whose fields move to and from a store through one exchange routine, so the list of
// keys exists once. The virtual operations keep this order.
class CSettingsRecord {
public:
    virtual ~CSettingsRecord() = default;
    virtual void OnBeforeSave(bool /*opened*/) {}
    virtual void OnAfterSave(bool /*ok*/) {}
    virtual void OnBeforeLoad(bool /*opened*/) {}
    virtual void OnAfterLoad(bool /*ok*/) {}
    virtual bool Exchange(bool tolerant, CSettingsStore& store, bool saving,
                          bool resetDefaults) = 0;
    virtual bool Load(CSettingsStore& store);
    virtual bool Save(CSettingsStore& store);
};

// An abstract typed value container: the kinds the settings hold (texts, 16- and 32-bit
// integers), expressed through the two operations a concrete store implements.
class CSettingsStore {
public:
    virtual ~CSettingsStore() = default;
    virtual bool IsTolerant() = 0;
    virtual bool BeginWrite() { return true; }
    virtual bool EndWrite() { return true; }
    virtual bool BeginRead() { return true; }
    virtual bool EndRead() { return true; }

    bool ExchangeString(const std::string& name, std::string& value, bool saving);
    // A narrower field takes the low bits of the stored 32-bit value.
    bool ExchangeUInt16(const std::string& name, std::uint16_t& value, bool saving);
    bool ExchangeUInt32(const std::string& name, std::uint32_t& value, bool saving);
    bool ExchangeInt32(const std::string& name, std::int32_t& value, bool saving);

    // A UTF-16 text buffer. Loading: length holds the buffer's capacity in characters on entry
    // and the stored length on success; on failure a needed length, or 0 when none is known.
    virtual bool ExchangeTextBuffer(const std::string& name, char16_t* buffer, std::size_t& length,
                                    bool saving) = 0;
    virtual bool ExchangeRawUInt32(const std::string& name, std::uint32_t& value, bool saving) = 0;
};

} // namespace pennoria
