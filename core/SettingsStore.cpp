// The base behaviours of settings records and stores: load and save framing, the text exchange,
// and the integer kinds expressed through the store's raw 32-bit operation.
#include "core/SettingsStore.h"

#include "platform/Text.h"

namespace pennoria {

namespace {

// The first buffer offered when a text is loaded; a longer stored text is read again with the
// length the store reports.
constexpr std::size_t kFirstTextBuffer = 128;
// A reported length beyond this is not believed (no store of ours holds such a text).
constexpr std::size_t kMaxTextLength = std::size_t{1} << 22;

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

bool CSettingsStore::ExchangeUInt16(const std::string& name, std::uint16_t& value, bool saving) {
    std::uint32_t temp = value;
    bool ok = ExchangeRawUInt32(name, temp, saving);
    if (ok && !saving)
        value = static_cast<std::uint16_t>(temp);
    return ok;
}

bool CSettingsStore::ExchangeUInt32(const std::string& name, std::uint32_t& value, bool saving) {
    std::uint32_t temp = value;
    bool ok = ExchangeRawUInt32(name, temp, saving);
    if (ok && !saving)
        value = temp;
    return ok;
}

bool CSettingsStore::ExchangeInt32(const std::string& name, std::int32_t& value, bool saving) {
    auto temp = static_cast<std::uint32_t>(value);
    bool ok = ExchangeRawUInt32(name, temp, saving);
    if (ok && !saving)
        value = static_cast<std::int32_t>(temp);
    return ok;
}

} // namespace pennoria
