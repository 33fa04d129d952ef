#include "registry_cases.h"

#include "core/error.h"
#include "platform/registry.h"

#include <gtest/gtest.h>

namespace quillon::conformance {

using namespace platform;

ustring RegistryCaseContext::abs(ustring_view rest) const {
    ustring path = u"\\" + root;
    if (!rest.empty()) {
        path += u"\\";
        path += rest;
    }
    return path;
}

void RegistryCaseContext::put(ustring_view relPath, ustring_view name,
                              const RegValue& value) const {
    const ustring path = relPath.empty() ? root : joinKeyPath(root, relPath);
    ASSERT_EQ(backend.openKey(hive, path, true), RegStatus::Ok);
    ASSERT_EQ(backend.setValue(hive, path, name, value), RegStatus::Ok);
}

RegValue sz(ustring_view text, std::uint32_t type) {
    RegValue v{type, {}};
    for (const char16_t c : text) {
        v.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        v.data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    v.data.push_back(0);
    v.data.push_back(0);
    return v;
}

RegValue dword(std::uint32_t value) {
    return RegValue{kRegDword,
                    {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                     static_cast<std::uint8_t>(value >> 16),
                     static_cast<std::uint8_t>(value >> 24)}};
}

RegValue bytes(std::vector<std::uint8_t> data, std::uint32_t type) {
    return RegValue{type, std::move(data)};
}

namespace {

// The message of the error the call raises, or "(no error)".
template <typename F> std::string errorOf(F&& call) {
    try {
        call();
    } catch (const QuillonError& e) {
        return toUtf8(e.message());
    }
    return "(no error)";
}

void absoluteAndRelativePaths(const RegistryCaseContext& ctx) {
    TRegistry reg(ctx.backend, ctx.hive);
    ASSERT_TRUE(reg.OpenKey(ctx.abs(u"a\\"), true)); // a trailing "\" is harmless
    ASSERT_TRUE(reg.OpenKey(u"b", true));            // relative to a
    EXPECT_EQ(reg.CurrentPath(), ctx.root + u"\\a\\b");
    reg.WriteString(u"where", u"a\\b");
    EXPECT_TRUE(reg.KeyExists(ctx.abs(u"a\\b")));
    EXPECT_FALSE(reg.KeyExists(u"a\\b")); // relative to the current key a\b
    ASSERT_TRUE(reg.OpenKey(ctx.abs(u"c"), true));
    EXPECT_EQ(reg.CurrentPath(), ctx.root + u"\\c");

    TRegistry fresh(ctx.backend, ctx.hive);
    // With no key open, a relative path starts at the root.
    ASSERT_TRUE(fresh.OpenKey(ctx.root + u"\\a\\b", false));
    EXPECT_EQ(fresh.ReadString(u"where"), u"a\\b");
}

void failedOpenKeepsCurrentKey(const RegistryCaseContext& ctx) {
    TRegistry reg(ctx.backend, ctx.hive);
    ASSERT_TRUE(reg.OpenKey(ctx.abs(u"kept"), true));
    EXPECT_FALSE(reg.OpenKey(u"missing", false));
    EXPECT_FALSE(reg.OpenKey(ctx.abs(u"missing"), false));
    EXPECT_EQ(reg.CurrentPath(), ctx.root + u"\\kept");
    reg.WriteInteger(u"n", 7);
    EXPECT_FALSE(reg.KeyExists(ctx.abs(u"missing")));
    TRegistry check(ctx.backend, ctx.hive);
    ASSERT_TRUE(check.OpenKey(ctx.abs(u"kept"), false));
    EXPECT_EQ(check.ReadInteger(u"n"), 7);
}

void openKeyCanCreate(const RegistryCaseContext& ctx) {
    TRegistry reg(ctx.backend, ctx.hive);
    EXPECT_FALSE(reg.OpenKey(ctx.abs(u"x\\y\\z"), false));
    EXPECT_FALSE(reg.HasCurrentKey());
    ASSERT_TRUE(reg.OpenKey(ctx.abs(u"x\\y\\z"), true));
    EXPECT_TRUE(reg.KeyExists(ctx.abs(u"x\\y")));
    EXPECT_TRUE(reg.KeyExists(ctx.abs(u"X\\Y\\Z"))); // names ignore letter case
    ASSERT_TRUE(reg.OpenKey(ctx.abs(u"X\\y"), false));
    StringList names;
    reg.GetKeyNames(names);
    EXPECT_EQ(names, StringList{u"z"});
}

void readString(const RegistryCaseContext& ctx) {
    ctx.put(u"", u"plain", sz(u"文本"));
    ctx.put(u"", u"expand", sz(u"%SystemRoot%\\x", kRegExpandSz));
    RegValue withNul = sz(u"ab");
    withNul.data.insert(withNul.data.begin() + 4, {0, 0, u'c', 0}); // "ab\0c\0"
    ctx.put(u"", u"nul", withNul);
    ctx.put(u"", u"empty", sz(u""));
    ctx.put(u"", u"number", dword(5));
    ctx.put(u"", u"binary", bytes({0x41, 0x00}));
    ctx.put(u"", u"multi", bytes({0x41, 0, 0, 0, 0, 0}, kRegMultiSz));

    TRegistry reg(ctx.backend, ctx.hive);
    ASSERT_TRUE(reg.OpenKey(ctx.abs(), false));
    EXPECT_EQ(reg.ReadString(u"plain"), u"文本");
    EXPECT_EQ(reg.ReadString(u"PLAIN"), u"文本");
    EXPECT_EQ(reg.ReadString(u"expand"), u"%SystemRoot%\\x"); // not expanded
    EXPECT_EQ(reg.ReadString(u"nul"), u"ab");
    EXPECT_EQ(reg.ReadString(u"empty"), u"");
    EXPECT_EQ(reg.ReadString(u"missing"), u"");
    for (const char16_t* name : {u"number", u"binary", u"multi"}) {
        EXPECT_NE(errorOf([&] { reg.ReadString(name); }).find(toUtf8(name)), std::string::npos)
            << toUtf8(name);
    }
}

void readInteger(const RegistryCaseContext& ctx) {
    ctx.put(u"", u"n", dword(0x04090804));
    ctx.put(u"", u"neg", dword(0xFFFFFFFEu));
    ctx.put(u"", u"text", sz(u"1"));
    ctx.put(u"", u"bin", bytes({1, 0, 0, 0}));
    TRegistry reg(ctx.backend, ctx.hive);
    ASSERT_TRUE(reg.OpenKey(ctx.abs(), false));
    EXPECT_EQ(reg.ReadInteger(u"n"), 0x04090804);
    EXPECT_EQ(reg.ReadInteger(u"neg"), -2);
    for (const char16_t* name : {u"missing", u"text", u"bin"}) {
        EXPECT_NE(errorOf([&] { reg.ReadInteger(name); }).find(toUtf8(name)), std::string::npos)
            << toUtf8(name);
    }
}

void readBinaryData(const RegistryCaseContext& ctx) {
    ctx.put(u"", u"mask", bytes({0x9E, 0x1E, 0x07, 0x80, 0x12, 0x00, 0x00, 0x00}));
    ctx.put(u"", u"empty", bytes({}));
    ctx.put(u"", u"multi", bytes({u'a', 0, 0, 0, 0, 0}, kRegMultiSz));
    ctx.put(u"", u"text", sz(u"x"));
    ctx.put(u"", u"expand", sz(u"x", kRegExpandSz));
    ctx.put(u"", u"number", dword(1));
    TRegistry reg(ctx.backend, ctx.hive);
    ASSERT_TRUE(reg.OpenKey(ctx.abs(), false));

    std::uint8_t buffer[8] = {};
    EXPECT_EQ(reg.ReadBinaryData(u"mask", buffer, 8), 8);
    EXPECT_EQ(buffer[4], 0x12);
    EXPECT_EQ(reg.ReadBinaryData(u"missing", buffer, 8), 0);
    EXPECT_EQ(reg.ReadBinaryData(u"empty", buffer, 8), 0);
    EXPECT_EQ(reg.ReadBinaryData(u"multi", buffer, 8), 6); // REG_MULTI_SZ reads raw
    EXPECT_EQ(buffer[0], u'a');
    std::uint8_t small[4] = {};
    EXPECT_NE(errorOf([&] { reg.ReadBinaryData(u"mask", small, 4); }).find("mask"),
              std::string::npos);
    for (const char16_t* name : {u"text", u"expand", u"number"}) {
        EXPECT_NE(errorOf([&] { reg.ReadBinaryData(name, buffer, 8); }).find(toUtf8(name)),
                  std::string::npos)
            << toUtf8(name);
    }
}

void dataSizeAndTypes(const RegistryCaseContext& ctx) {
    TRegistry reg(ctx.backend, ctx.hive);
    ASSERT_TRUE(reg.OpenKey(ctx.abs(), false));
    EXPECT_EQ(reg.GetDataSize(u"missing"), -1);
    reg.WriteString(u"s", u"abc");
    reg.WriteInteger(u"d", -1);
    const std::uint8_t raw[3] = {1, 2, 3};
    reg.WriteBinaryData(u"b", raw, 3);
    EXPECT_EQ(reg.GetDataSize(u"s"), 8); // terminating NUL included
    EXPECT_EQ(reg.GetDataType(u"s"), kRegSz);
    EXPECT_EQ(reg.GetDataSize(u"d"), 4);
    EXPECT_EQ(reg.GetDataType(u"d"), kRegDword);
    EXPECT_EQ(reg.GetDataSize(u"b"), 3);
    EXPECT_EQ(reg.GetDataType(u"b"), kRegBinary);
    EXPECT_TRUE(reg.DeleteValue(u"s"));
    EXPECT_FALSE(reg.DeleteValue(u"s"));
    EXPECT_FALSE(reg.ValueExists(u"s"));
    EXPECT_TRUE(reg.ValueExists(u"D"));
}

void enumerationAndEmptying(const RegistryCaseContext& ctx) {
    TRegistry reg(ctx.backend, ctx.hive);
    StringList list{u"stale"};
    reg.GetKeyNames(list);
    EXPECT_TRUE(list.empty()); // no key open
    list = {u"stale"};
    reg.GetValueNames(list);
    EXPECT_TRUE(list.empty());

    ASSERT_TRUE(reg.OpenKey(ctx.abs(), false));
    for (const char16_t* key : {u"b", u"A", u"c"}) {
        ASSERT_TRUE(reg.OpenKey(ctx.abs(key), true));
    }
    ASSERT_TRUE(reg.OpenKey(ctx.abs(), false));
    reg.WriteString(u"zeta", u"1");
    reg.WriteString(u"Alpha", u"2");
    reg.WriteString(u"mid", u"3");
    list = {u"stale"};
    reg.GetKeyNames(list);
    EXPECT_EQ(list, (StringList{u"A", u"b", u"c"})); // case-insensitive name order
    list = {u"stale"};
    reg.GetValueNames(list);
    if (ctx.valuesInCreationOrder) {
        EXPECT_EQ(list, (StringList{u"zeta", u"Alpha", u"mid"}));
    } else {
        // Wine keeps values sorted by name.
        EXPECT_EQ(list, (StringList{u"Alpha", u"mid", u"zeta"}));
    }
}

void deleteKeyRecursive(const RegistryCaseContext& ctx) {
    ctx.put(u"tree\\one\\two", u"v", sz(u"x"));
    ctx.put(u"tree\\one", u"v", dword(1));
    ctx.put(u"tree\\three", u"v", dword(1));
    ctx.put(u"sibling", u"v", dword(1));
    TRegistry reg(ctx.backend, ctx.hive);
    EXPECT_TRUE(reg.DeleteKey(ctx.abs(u"tree")));
    EXPECT_FALSE(reg.KeyExists(ctx.abs(u"tree")));
    EXPECT_TRUE(reg.KeyExists(ctx.abs(u"sibling")));
    EXPECT_FALSE(reg.DeleteKey(ctx.abs(u"tree")));
    // Relative to the current key.
    ASSERT_TRUE(reg.OpenKey(ctx.abs(), false));
    EXPECT_TRUE(reg.DeleteKey(u"sibling"));
    EXPECT_FALSE(reg.KeyExists(ctx.abs(u"sibling")));
}

void failedWriteNamesValue(const RegistryCaseContext& ctx) {
    TRegistry reg(ctx.backend, ctx.hive);
    // No key open.
    EXPECT_NE(errorOf([&] { reg.WriteString(u"Layout Hotkey", u"1"); }).find("Layout Hotkey"),
              std::string::npos);
    // The current key was deleted behind the object's back.
    ASSERT_TRUE(reg.OpenKey(ctx.abs(u"gone"), true));
    TRegistry other(ctx.backend, ctx.hive);
    ASSERT_TRUE(other.DeleteKey(ctx.abs(u"gone")));
    EXPECT_NE(errorOf([&] { reg.WriteInteger(u"0804:{X}", 1); }).find("0804:{X}"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { reg.WriteBinaryData(u"Key Modifiers", "x", 1); }).find("Key Modifiers"),
              std::string::npos);
    EXPECT_FALSE(reg.KeyExists(ctx.abs(u"gone"))); // a failed write never creates the key
}

void readMultiString(const RegistryCaseContext& ctx) {
    // "zh-Hans-CN\0\0en-US\0\0" with an empty string in the middle.
    RegValue v{kRegMultiSz, {}};
    for (const char16_t c : ustring(u"zh-Hans-CN\0\0en-US\0\0", 20)) {
        v.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        v.data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    ctx.put(u"", u"Languages", v);
    ctx.put(u"", u"EmptyMulti", bytes({}, kRegMultiSz));
    RegValue tail = sz(u"last");
    tail.data.resize(tail.data.size() - 2); // units after the last zero are dropped
    tail.type = kRegMultiSz;
    ctx.put(u"", u"Unterminated", tail);
    TRegistry reg(ctx.backend, ctx.hive);
    ASSERT_TRUE(reg.OpenKey(ctx.abs(), false));
    StringList list{u"kept"};
    EXPECT_TRUE(reg.ReadMultiString(u"Languages", list));
    EXPECT_EQ(list, (StringList{u"kept", u"zh-Hans-CN", u"en-US"}));
    EXPECT_FALSE(reg.ReadMultiString(u"missing", list));
    EXPECT_FALSE(reg.ReadMultiString(u"EmptyMulti", list));
    EXPECT_EQ(list.size(), 3u);
    StringList none;
    EXPECT_TRUE(reg.ReadMultiString(u"Unterminated", none));
    EXPECT_TRUE(none.empty());
}

// One read gives what the separate reads give, with their errors.
void readValueInOneRead(const RegistryCaseContext& ctx) {
    ctx.put(u"", u"text", sz(u"ab"));
    ctx.put(u"", u"number", dword(0xFFFFFFFEu));
    ctx.put(u"", u"mask", bytes({1, 2, 3}));
    ctx.put(u"", u"empty", bytes({}));
    TRegistry reg(ctx.backend, ctx.hive);
    EXPECT_FALSE(reg.ReadValue(u"text")); // no key open
    ASSERT_TRUE(reg.OpenKey(ctx.abs(), false));
    EXPECT_FALSE(reg.ReadValue(u"missing"));

    const auto text = reg.ReadValue(u"TEXT");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->type, kRegSz);
    EXPECT_EQ(stringOf(*text, u"text"), reg.ReadString(u"text"));
    const auto number = reg.ReadValue(u"number");
    ASSERT_TRUE(number);
    EXPECT_EQ(integerOf(*number, u"number"), -2);
    const auto mask = reg.ReadValue(u"mask");
    ASSERT_TRUE(mask);
    EXPECT_EQ(binaryOf(*mask, u"mask"), (std::vector<std::uint8_t>{1, 2, 3}));
    const auto empty = reg.ReadValue(u"empty");
    ASSERT_TRUE(empty); // present, though it holds nothing
    EXPECT_TRUE(empty->data.empty());

    EXPECT_NE(errorOf([&] { stringOf(*number, u"number"); }).find("number"), std::string::npos);
    EXPECT_NE(errorOf([&] { integerOf(*mask, u"mask"); }).find("mask"), std::string::npos);
    EXPECT_NE(errorOf([&] { binaryOf(*text, u"text"); }).find("text"), std::string::npos);
}

// Every value with its data from one enumeration, as reading each by name gives it, in the
// order the names are listed; a value larger than the first buffer included.
void allValuesInOneEnumeration(const RegistryCaseContext& ctx) {
    ctx.put(u"", u"text", sz(u"ab"));
    ctx.put(u"", u"number", dword(7));
    ctx.put(u"", u"empty", bytes({}));
    std::vector<std::uint8_t> large(5000);
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<std::uint8_t>(i * 7);
    }
    ctx.put(u"", u"large", bytes(large));
    const ustring root = platform::normalizeKeyPath(ctx.root);
    const auto values = ctx.backend.values(ctx.hive, root);
    ASSERT_TRUE(values);
    const std::vector<ustring> names = ctx.backend.valueNames(ctx.hive, root);
    ASSERT_EQ(values->size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ((*values)[i].first, names[i]);
        EXPECT_EQ((*values)[i].second, ctx.backend.queryValue(ctx.hive, root, names[i]))
            << toUtf8(names[i]);
    }
    ASSERT_TRUE(ctx.backend.openKey(ctx.hive, root + u"\\bare", true) == platform::RegStatus::Ok);
    const auto none = ctx.backend.values(ctx.hive, root + u"\\bare");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
    EXPECT_FALSE(ctx.backend.values(ctx.hive, root + u"\\missing"));
}

// A key's values and sub-keys from one read, as the separate enumerations give them.
void wholeKeyInOneRead(const RegistryCaseContext& ctx) {
    ctx.put(u"", u"text", sz(u"ab"));
    ctx.put(u"", u"number", dword(7));
    ctx.put(u"b", u"inner", dword(1));
    ctx.put(u"a\\deeper", u"inner", dword(2));
    const ustring root = platform::normalizeKeyPath(ctx.root);
    const auto contents = ctx.backend.readKey(ctx.hive, root);
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->values, ctx.backend.values(ctx.hive, root));
    EXPECT_EQ(contents->subKeys, (std::vector<ustring>{u"a", u"b"}));
    const auto leaf = ctx.backend.readKey(ctx.hive, root + u"\\a\\deeper");
    ASSERT_TRUE(leaf);
    EXPECT_TRUE(leaf->subKeys.empty());
    EXPECT_EQ(leaf->values, (NamedValues{{u"inner", dword(2)}}));
    EXPECT_FALSE(ctx.backend.readKey(ctx.hive, root + u"\\missing"));
}

// Several values of one key written and removed through one open, in order: a missing key is
// made only when asked, and the first change that fails stops the rest.
void valueChangesThroughOneOpen(const RegistryCaseContext& ctx) {
    const ustring root = platform::normalizeKeyPath(ctx.root);
    const ustring deep = root + u"\\new\\deeper";
    const std::vector<ValueChange> writes = {
        {u"text", sz(u"ab")}, {u"number", dword(7)}, {u"empty", bytes({})}};
    ChangesMade made = ctx.backend.changeValues(ctx.hive, deep, false, writes);
    EXPECT_EQ(made.open, RegStatus::NotFound);
    EXPECT_EQ(made.done, 0u);
    EXPECT_FALSE(ctx.backend.keyExists(ctx.hive, root + u"\\new"));

    made = ctx.backend.changeValues(ctx.hive, deep, true, writes);
    EXPECT_EQ(made.open, RegStatus::Ok);
    EXPECT_EQ(made.done, writes.size());
    for (const ValueChange& change : writes) {
        EXPECT_EQ(ctx.backend.queryValue(ctx.hive, deep, change.name), change.value)
            << toUtf8(change.name);
    }

    // An existing key opens as it is; a removal of a value that is not there fails.
    made = ctx.backend.changeValues(ctx.hive, deep, true,
                                    {{u"TEXT", sz(u"cd")},
                                     {u"number", std::nullopt},
                                     {u"number", std::nullopt},
                                     {u"late", dword(1)}});
    EXPECT_EQ(made.open, RegStatus::Ok);
    EXPECT_EQ(made.done, 2u);
    EXPECT_EQ(made.failure, RegStatus::NotFound);
    EXPECT_EQ(ctx.backend.queryValue(ctx.hive, deep, u"text"), sz(u"cd"));
    EXPECT_FALSE(ctx.backend.queryValue(ctx.hive, deep, u"number"));
    EXPECT_FALSE(ctx.backend.queryValue(ctx.hive, deep, u"late"));

    // The same through ValueChanges, whose errors name the value as TRegistry's writes do.
    ValueChanges changes;
    changes.write(u"n", dwordValue(-2)).write(u"bin", binaryValue({1, 2})).remove(u"gone");
    EXPECT_FALSE(changes.apply(ctx.backend, ctx.hive, ctx.abs(u"missing"), false));
    EXPECT_NE(
        errorOf([&] { changes.apply(ctx.backend, ctx.hive, ctx.abs(u"made"), true); }).find("gone"),
        std::string::npos);
    TRegistry reg(ctx.backend, ctx.hive);
    ASSERT_TRUE(reg.OpenKey(ctx.abs(u"made"), false));
    EXPECT_EQ(reg.ReadInteger(u"n"), -2);
    EXPECT_EQ(reg.GetDataType(u"bin"), kRegBinary);
}

} // namespace

const std::vector<RegistryCase>& registryCases() {
    static const std::vector<RegistryCase> cases = {
        {"AbsoluteAndRelativePaths", absoluteAndRelativePaths},
        {"FailedOpenKeepsCurrentKey", failedOpenKeepsCurrentKey},
        {"OpenKeyCanCreate", openKeyCanCreate},
        {"ReadString", readString},
        {"ReadInteger", readInteger},
        {"ReadBinaryData", readBinaryData},
        {"DataSizeAndTypes", dataSizeAndTypes},
        {"EnumerationAndEmptying", enumerationAndEmptying},
        {"DeleteKeyRecursive", deleteKeyRecursive},
        {"FailedWriteNamesValue", failedWriteNamesValue},
        {"ReadMultiString", readMultiString},
        {"ReadValueInOneRead", readValueInOneRead},
        {"AllValuesInOneEnumeration", allValuesInOneEnumeration},
        {"WholeKeyInOneRead", wholeKeyInOneRead},
        {"ValueChangesThroughOneOpen", valueChangesThroughOneOpen},
    };
    return cases;
}

} // namespace quillon::conformance
