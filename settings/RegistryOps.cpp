#include "settings/RegistryOps.h"

#include <vector>

#include "settings/Utf16.h"

namespace kmx {

namespace {

// A failed open leaves no handle behind, whatever the registry put there, so
// that the caller never closes a key it did not get.
RegStatus KeepOnlyOpened(RegStatus status, RegKey* key) {
    if (status != kErrorSuccess) *key = 0;
    return status;
}

}  // namespace

RegStatus OpenForReading(IRegistry& registry, RegKey parent, const std::wstring& path, RegKey* key) {
    return KeepOnlyOpened(registry.OpenKey(parent, path, kKeyQueryValue, key), key);
}

RegStatus OpenForReadWrite(IRegistry& registry, RegKey parent, const std::wstring& path, RegKey* key) {
    return KeepOnlyOpened(registry.OpenKey(parent, path, kKeyQueryValue | kKeySetValue, key), key);
}

RegStatus CreateForReadWrite(IRegistry& registry, RegKey parent, const std::wstring& path, RegKey* key,
                             std::uint32_t* disposition) {
    return KeepOnlyOpened(registry.CreateKey(parent, path, kKeyQueryValue | kKeySetValue, key, disposition),
                          key);
}

RegStatus ReadDword(IRegistry& registry, RegKey key, const std::wstring& name, std::uint32_t* value) {
    // The buffer starts as the caller's value, so short data keeps its upper bytes.
    std::uint8_t buffer[4];
    for (int i = 0; i < 4; ++i) buffer[i] = static_cast<std::uint8_t>(*value >> (8 * i));
    std::uint32_t size = sizeof buffer;
    const RegStatus status = registry.QueryValue(key, name, buffer, &size);
    if (status != kErrorSuccess) return status;
    *value = std::uint32_t{buffer[0]} | std::uint32_t{buffer[1]} << 8 | std::uint32_t{buffer[2]} << 16 |
             std::uint32_t{buffer[3]} << 24;
    return status;
}

RegStatus ReadDword(IRegistry& registry, RegKey key, const std::wstring& name, std::int32_t* value) {
    std::uint32_t bits = static_cast<std::uint32_t>(*value);
    const RegStatus status = ReadDword(registry, key, name, &bits);
    if (status == kErrorSuccess) *value = static_cast<std::int32_t>(bits);
    return status;
}

RegStatus ReadStringFixed(IRegistry& registry, RegKey key, const std::wstring& name,
                          std::uint32_t capacityBytes, std::wstring* text) {
    std::vector<std::uint8_t> buffer(capacityBytes, 0);
    std::uint32_t size = capacityBytes;
    const RegStatus status = registry.QueryValue(key, name, buffer.data(), &size);
    if (status != kErrorSuccess) return status;
    *text = TextFromUtf16LeBytes(buffer.data(), size < capacityBytes ? size : capacityBytes);
    return status;
}

RegStatus ReadStringAny(IRegistry& registry, RegKey key, const std::wstring& name, std::wstring* text) {
    text->clear();
    std::uint32_t size = 0;
    RegStatus status = registry.QueryValue(key, name, nullptr, &size);
    if (status != kErrorSuccess) return status;
    // One byte more than asked for, so that a zero size still has a buffer to
    // point at; the declared size stays the registry's.
    std::vector<std::uint8_t> buffer(std::size_t{size} + 1, 0);
    std::uint32_t readSize = size;
    status = registry.QueryValue(key, name, buffer.data(), &readSize);
    if (status != kErrorSuccess) return status;
    *text = TextFromUtf16LeBytes(buffer.data(), readSize < size ? readSize : size);
    return status;
}

RegStatus WriteDword(IRegistry& registry, RegKey key, const std::wstring& name, std::uint32_t value) {
    std::uint8_t bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    return registry.SetValue(key, name, kRegDword, bytes, sizeof bytes);
}

RegStatus WriteString(IRegistry& registry, RegKey key, const std::wstring& name, const std::wstring& text) {
    const std::vector<std::uint8_t> bytes = ToUtf16LeBytes(text, true);
    return registry.SetValue(key, name, kRegSz, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

}  // namespace kmx
