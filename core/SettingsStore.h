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
    virtual bool Exchange(bool tolerant, CSettingsStore& store, bool saving, bool resetDefaults) = 0;
    virtual bool Load(CSettingsStore& store);
    virtual bool Save(CSettingsStore& store);
};

// An abstract typed value container. The virtual operations keep this order; the ones with a
// body are expressed through the abstract ones below them.
class CSettingsStore {
public:
    virtual ~CSettingsStore() = default;
    virtual CSettingsStore* OpenChild(const std::string& name) = 0; // owned by the caller
    virtual bool IsTolerant() = 0;
    virtual bool BeginWrite() { return true; }
    virtual bool EndWrite() { return true; }
    virtual bool BeginRead() { return true; }
    virtual bool EndRead() { return true; }
    virtual bool ExchangeString(const std::string& name, std::string& value, bool saving);
    virtual bool ExchangeRecord(const std::string& name, CSettingsRecord& record, bool saving);
    virtual bool ExchangeFloat(const std::string& name, float& value, bool saving);
    virtual bool ExchangeUInt64(const std::string& name, std::uint64_t& value, bool saving);
    virtual bool ExchangeInt64(const std::string& name, std::int64_t& value, bool saving);
    virtual bool ExchangeUInt8(const std::string& name, std::uint8_t& value, bool saving);
    virtual bool ExchangeInt8(const std::string& name, std::int8_t& value, bool saving);
    virtual bool ExchangeUInt16(const std::string& name, std::uint16_t& value, bool saving);
    virtual bool ExchangeInt16(const std::string& name, std::int16_t& value, bool saving);
    virtual bool ExchangeUInt32(const std::string& name, std::uint32_t& value, bool saving);
    virtual bool ExchangeInt32(const std::string& name, std::int32_t& value, bool saving);
    // Raw bytes: exactly size bytes are stored, and asked for when loading.
    virtual bool ExchangeBytes(const std::string& name, void* data, std::size_t size,
                               bool saving) = 0;
    // A UTF-16 text buffer. Loading: length holds the buffer's capacity in characters on entry
    // and the stored length on success; on failure a needed length, or 0 when none is known.
    virtual bool ExchangeTextBuffer(const std::string& name, char16_t* buffer, std::size_t& length,
                                    bool saving) = 0;
    virtual bool ExchangeDouble(const std::string& name, double& value, bool saving) = 0;
    virtual bool ExchangeBool(const std::string& name, bool& value, bool saving) = 0;
    virtual bool ExchangeRawUInt32(const std::string& name, std::uint32_t& value, bool saving) = 0;
    virtual bool ExchangeRawInt32(const std::string& name, std::int32_t& value, bool saving) = 0;
};

} // namespace pennoria
