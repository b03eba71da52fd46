// The base behaviours of settings records and stores: load and save framing, the text exchange,
// and the integer and floating kinds expressed through the store's 32-bit and raw operations.
#include "core/SettingsStore.h"

#include "platform/Text.h"

#include <memory>
#include <type_traits>

namespace pennoria {

namespace {

// The first buffer offered when a text is loaded; a longer stored text is read again with the
// length the store reports.
constexpr std::size_t kFirstTextBuffer = 128;
// A reported length beyond this is not believed (no store of ours holds such a text).
constexpr std::size_t kMaxTextLength = std::size_t{1} << 22;

template <typename T>
bool ExchangeThroughUnsigned(CSettingsStore& store, const std::string& name, T& field,
                             bool saving) {
    auto temp = static_cast<std::uint32_t>(field);
    bool ok = store.ExchangeRawUInt32(name, temp, saving);
    if (ok && !saving)
        field = static_cast<T>(temp); // a narrower field takes the low bits
    return ok;
}

template <typename T>
bool ExchangeThroughSigned(CSettingsStore& store, const std::string& name, T& field, bool saving) {
    auto temp = static_cast<std::int32_t>(field);
    bool ok = store.ExchangeRawInt32(name, temp, saving);
    if (ok && !saving)
        field = static_cast<T>(static_cast<std::make_unsigned_t<T>>(temp));
    return ok;
}

template <typename T>
bool ExchangeThroughBytes(CSettingsStore& store, const std::string& name, T& field, bool saving) {
    T temp = field;
    bool ok = store.ExchangeBytes(name, &temp, sizeof temp, saving);
    if (ok && !saving)
        field = temp;
    return ok;
}

} // namespace

bool CSettingsRecord::Load(CSettingsStore& store) {
    bool opened = store.BeginRead();
    OnBeforeLoad(opened);
    bool ok = opened;
    if (opened)
        ok = Exchange(store.IsTolerant(), store, false, false);
    bool closed = store.EndRead(); // even when opening failed
    ok = ok && closed;
    OnAfterLoad(ok);
    return ok;
}

bool CSettingsRecord::Save(CSettingsStore& store) {
    bool opened = store.BeginWrite();
    OnBeforeSave(opened);
    bool ok = opened;
    if (opened)
        ok = Exchange(store.IsTolerant(), store, true, false);
    bool closed = store.EndWrite();
    ok = ok && closed;
    OnAfterSave(ok);
    return ok;
}

bool CSettingsStore::ExchangeString(const std::string& name, std::string& value, bool saving) {
    if (saving) {
        std::u16string text = platform::Utf8ToUtf16(value);
        std::size_t length = text.size();
        return ExchangeTextBuffer(name, text.data(), length, true);
    }
    std::u16string buffer(kFirstTextBuffer, u'\0');
    std::size_t length = buffer.size();
    bool ok = ExchangeTextBuffer(name, buffer.data(), length, false);
    if (!ok && length > buffer.size() && length <= kMaxTextLength) {
        buffer.assign(length, u'\0');
        ok = ExchangeTextBuffer(name, buffer.data(), length, false);
    }
    if (!ok)
        return false;
    buffer.resize(std::min(length, buffer.size()));
    if (std::size_t zero = buffer.find(u'\0'); zero != std::u16string::npos)
        buffer.resize(zero);
    value = platform::Utf16ToUtf8(buffer);
    return true;
}

bool CSettingsStore::ExchangeRecord(const std::string& name, CSettingsRecord& record, bool saving) {
    std::unique_ptr<CSettingsStore> child(OpenChild(name));
    if (!child)
        return false;
    return saving ? record.Save(*child) : record.Load(*child);
}

bool CSettingsStore::ExchangeFloat(const std::string& name, float& value, bool saving) {
    double temp = value;
    bool ok = ExchangeDouble(name, temp, saving);
    if (ok && !saving)
        value = static_cast<float>(temp);
    return ok;
}

bool CSettingsStore::ExchangeUInt64(const std::string& name, std::uint64_t& value, bool saving) {
    return ExchangeThroughBytes(*this, name, value, saving);
}

bool CSettingsStore::ExchangeInt64(const std::string& name, std::int64_t& value, bool saving) {
    return ExchangeThroughBytes(*this, name, value, saving);
}

bool CSettingsStore::ExchangeUInt8(const std::string& name, std::uint8_t& value, bool saving) {
    return ExchangeThroughUnsigned(*this, name, value, saving);
}

bool CSettingsStore::ExchangeInt8(const std::string& name, std::int8_t& value, bool saving) {
    return ExchangeThroughSigned(*this, name, value, saving);
}

bool CSettingsStore::ExchangeUInt16(const std::string& name, std::uint16_t& value, bool saving) {
    return ExchangeThroughUnsigned(*this, name, value, saving);
}

bool CSettingsStore::ExchangeInt16(const std::string& name, std::int16_t& value, bool saving) {
    return ExchangeThroughSigned(*this, name, value, saving);
}

bool CSettingsStore::ExchangeUInt32(const std::string& name, std::uint32_t& value, bool saving) {
    return ExchangeThroughUnsigned(*this, name, value, saving);
}

bool CSettingsStore::ExchangeInt32(const std::string& name, std::int32_t& value, bool saving) {
    return ExchangeThroughSigned(*this, name, value, saving);
}

} // namespace pennoria
