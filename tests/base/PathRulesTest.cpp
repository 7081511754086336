// Path rules: joining, key equality and hash, ordering, relative paths, the record path rule and
// the case-blind comparison of names. On the Windows tree the join and the order are also checked
// against std::filesystem::path, whose Windows behaviour these rules follow, and the comparison
// against the system's own uppercase table.
#include "Launcher/base/PathRules.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "Launcher/base/NameCase.h"
#include "tests/support/WindowsNameOracle.h"

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#endif

namespace {

int SignOf(int value) {
    return (value > 0) - (value < 0);
}

struct JoinCase {
    const wchar_t* base;
    const wchar_t* right;
    const wchar_t* joined;
};

const JoinCase JoinCases[] = {
    {L"C:\\Users\\me", L"Nimbrel", L"C:\\Users\\me\\Nimbrel"},
    {L"C:\\Users\\me\\", L"Nimbrel", L"C:\\Users\\me\\Nimbrel"},
    {L"C:/Users/me/", L"Nimbrel", L"C:/Users/me/Nimbrel"},
    {L"C:\\W", L"", L"C:\\W\\"},
    {L"", L"a.txt", L"a.txt"},
    {L"C:", L"x", L"C:x"},
    {L"C:\\", L"x", L"C:\\x"},
    {L"\\", L"x", L"\\x"},
    {L"C:\\W", L"a\\b", L"C:\\W\\a\\b"},
    {L"C:\\W", L"\\abs", L"C:\\abs"},
    {L"C:\\W", L"/abs", L"C:/abs"},
    {L"W", L"\\abs", L"\\abs"},
    {L"C:\\W", L"D:\\other", L"D:\\other"},
    {L"C:\\W", L"D:rel", L"D:rel"},
    {L"C:\\W", L"C:rel", L"C:\\W\\rel"},
    {L"C:\\W", L"c:rel", L"c:rel"},
    {L"C:\\W", L"C:\\abs", L"C:\\abs"},
    {L"\\\\server\\share", L"x", L"\\\\server\\share\\x"},
    {L"C:\\W\\\\", L"x", L"C:\\W\\\\x"},
};

TEST(PathJoin, FollowsWindowsAppendRules) {
    for (const JoinCase& c : JoinCases) {
        EXPECT_EQ(JoinPath(c.base, c.right), c.joined) << c.base << L" / " << c.right;
#ifdef _WIN32
        EXPECT_EQ((std::filesystem::path(c.base) / c.right).native(), JoinPath(c.base, c.right))
            << c.base << L" / " << c.right;
#endif
    }
}

struct OrderCase {
    const wchar_t* a;
    const wchar_t* b;
    int order;
};

const OrderCase OrderCases[] = {
    {L"C:\\a", L"C:\\a", 0},
    {L"C:\\a", L"C:/a", 0},
    {L"C:\\\\a\\\\b", L"C:/a/b", 0},
    {L"C:\\a\\", L"C:\\a\\\\", 0},
    {L"C:\\a", L"C:\\A", 1},
    {L"A:\\z", L"C:\\a", -1},
    {L"c:\\a", L"C:\\a", 1},
    {L"C:a", L"C:\\a", -1},
    {L"a", L"\\a", -1},
    {L"C:\\a", L"\\a", 1},
    {L"C:\\a\\b", L"C:\\a-b", -1},
    {L"C:\\a\\b", L"C:\\a!", -1},
    {L"C:\\a", L"C:\\a\\", -1},
    {L"C:\\a\\", L"C:\\a\\b", -1},
    {L"C:\\a", L"C:\\ab", -1},
    {L"C:\\b", L"C:\\ab", 1},
    {L"", L"a", -1},
    {L"", L"\\", -1},
    {L"", L"C:", -1},
    {L"C:", L"C:a", -1},
    {L"C:\\", L"C:\\a", -1},
    {L"\\\\server\\x", L"\\server\\x", 0},
    {L"C:\\Users\\\x00e9", L"C:\\Users\\z", 1},
};

TEST(PathOrder, ComparesRootNameThenRootThenElements) {
    for (const OrderCase& c : OrderCases) {
        EXPECT_EQ(SignOf(ComparePaths(c.a, c.b)), c.order) << c.a << L" vs " << c.b;
        EXPECT_EQ(SignOf(ComparePaths(c.b, c.a)), -c.order) << c.b << L" vs " << c.a;
#ifdef _WIN32
        EXPECT_EQ(SignOf(std::filesystem::path(c.a).compare(std::filesystem::path(c.b))), c.order)
            << c.a << L" vs " << c.b;
#endif
    }
}

TEST(PathKey, TreatsSeparatorRunsAsOneAndIgnoresCase) {
    EXPECT_TRUE(PathKeyEqual(L"Plugins\\a.dll", L"Plugins\\a.dll"));
    EXPECT_TRUE(PathKeyEqual(L"Plugins/a.dll", L"Plugins\\a.dll"));
    EXPECT_TRUE(PathKeyEqual(L"Plugins\\\\/a.dll", L"Plugins\\a.dll"));
    EXPECT_TRUE(PathKeyEqual(L"", L""));
    EXPECT_TRUE(PathKeyEqual(L"plugins\\A.DLL", L"Plugins\\a.dll"));
    EXPECT_FALSE(PathKeyEqual(L"Stra\u00DFe\\a", L"STRASSE\\a"));
    EXPECT_FALSE(PathKeyEqual(L"Plugins\\a.dll", L"Plugins\\a.dl"));
    EXPECT_FALSE(PathKeyEqual(L"Plugins\\a.dll", L"Pluginsa.dll"));
    EXPECT_FALSE(PathKeyEqual(L"\\a.dll", L"a.dll"));
    EXPECT_FALSE(PathKeyEqual(L"a\\", L"a"));
}

TEST(PathKey, HashesAsFnv1aOverLowByteFirstUnits) {
    EXPECT_EQ(PathKeyHash(L""), 0x811C9DC5u);
    EXPECT_EQ(PathKeyHash(L"a\\b"), 0x88CBD20Au);
    EXPECT_EQ(PathKeyHash(L"Nimbrel.exe"), 0x9E3DCD00u);
    EXPECT_EQ(PathKeyHash(L"Plugins\\\x4e2d.dll"), 0x8765608Eu);
}

TEST(PathKey, EqualKeysHashEqually) {
    EXPECT_EQ(PathKeyHash(L"a//b"), PathKeyHash(L"a\\b"));
    EXPECT_EQ(PathKeyHash(L"x\\/\\y\\z"), PathKeyHash(L"x/y/z"));
    EXPECT_EQ(PathKeyHash(L"plugins/\u00E4.DLL"), PathKeyHash(L"Plugins\\\u00C4.dll"));
    EXPECT_NE(PathKeyHash(L"ab"), PathKeyHash(L"a\\b"));
}

TEST(PathKey, KeysAMapByCaseAndSeparatorInsensitiveElements) {
    std::unordered_set<std::wstring, PathKeyHasher, PathKeyEquality> keys;
    keys.insert(L"Modules\\Tools\\x.dll");
    EXPECT_EQ(keys.count(L"Modules/Tools//x.dll"), 1u);
    EXPECT_EQ(keys.count(L"modules\\TOOLS\\x.dll"), 1u);
    EXPECT_FALSE(keys.insert(L"Modules//Tools/x.dll").second);
}

// The record path rule refuses every element that Windows would resolve to something other than
// a plain name below the folder: the folder itself, a parent, a renamed file, a device. Each name
// is also put to the oracle written from Windows' documentation, which must agree.
TEST(RecordPath, RefusesElementsWindowsWouldNotKeepAsWritten) {
    using namespace std::string_literals;
    const std::wstring lone(1, static_cast<wchar_t>(0xD800));
    // Dropped or resolved elements, forbidden characters, then devices, then the computed ones.
    std::vector<std::wstring> names = {L"",      L".",    L"..",  L". .", L"Config.ini.", L"trail ",
                                       L"a\x01", L"a\\b", L"a/b", L"C:x", L"a|b",         L"a?"};
    names.insert(names.end(),
                 {L"NUL", L"con.txt", L"Lpt9.log", L"aux .ini", L"COM\u00B9", L"com\u00B2.dll",
                  L"LPT\u00B3 .txt", L"lpt\u00B9.tar.gz", L"CONIN$", L"conin$.txt", L"CONOUT$.log",
                  L"ConOut$ .x", L"COM0", L"lpt0.txt", L"Com0 .log"});
    names.insert(names.end(), {L"\0"s, L"a" + lone, lone + L"\xDC00\xDC00",
                               std::wstring(LongestPathElement + 1, L'n')});
    for (const std::wstring& name : names) {
        EXPECT_FALSE(WindowsKeepsName(name)) << static_cast<int>(name.size());
        EXPECT_NE(UnsafeRecordPathReason(L"", name), "") << static_cast<int>(name.size());
        EXPECT_NE(UnsafeRecordPathReason(L"Plugins", name), "");
    }
    for (const std::wstring folder : {L"\\abs", L"/abs", L"a\\.", L"a\\..\\b", L"C:", L"a\\COM1",
                                      L"lpt\u00B3.d", L"a\\CONIN$"}) {
        EXPECT_FALSE(WindowsKeepsRecordPath(folder, L"x.dll")) << folder;
        EXPECT_NE(UnsafeRecordPathReason(folder, L"x.dll"), "") << folder;
    }
    EXPECT_EQ(UnsafeRecordPathReason(L"a\\.", L"x"),
              "a folder element is made of dots and spaces only");
    EXPECT_EQ(UnsafeRecordPathReason(L"", L"Config.ini."),
              "the name ends in a dot or a space, which Windows drops");
    EXPECT_EQ(UnsafeRecordPathReason(L"lpt\u00B3.d", L"x.dll"),
              "a folder element is a reserved Windows device name");
    for (const std::wstring folder : {L"Config.ini", L"a\\CONFIG.INI", L"config.ini\\b"}) {
        EXPECT_EQ(UnsafeRecordPathReason(folder, L"x"),
                  "a folder element is named Config.ini, the settings file a start never deletes")
            << folder;
    }
    EXPECT_EQ(UnsafeRecordPathReason(L"a", std::wstring(256, L'n')),
              "the name is longer than 255 UTF-16 code units, which no Windows file system keeps");
}

TEST(RecordPath, AcceptsOrdinaryNamesAndNearMisses) {
    for (const std::wstring name :
         {L"Nimbrel.exe", L"COM10", L"CONFIG", L".hidden", L"..a", L"\u00E9t\u00E9",
          L"\xD83D\xDE00.txt", L"LPT\u00B90", L"CONIN", L"CONOUT", L"\u0108on", L"falcon.dll",
          L"COM\u2074", L"nul-device.txt", L"CON$"}) {
        EXPECT_TRUE(WindowsKeepsName(name)) << name;
        EXPECT_EQ(UnsafeRecordPathReason(L"", name), "") << name;
    }
    const std::wstring longest(LongestPathElement, L'n');
    for (const std::wstring folder : {L"", L"a", L"a\\b", L"a/b", L"a\\\\b\\", L"plugins\\Weather",
                                      L"Config.ini.bak\\Config.inix", longest.c_str()}) {
        EXPECT_TRUE(WindowsKeepsRecordPath(folder, longest)) << folder;
        EXPECT_EQ(UnsafeRecordPathReason(folder, longest), "") << folder;
    }
}

// Windows' ordinal comparison that ignores case: one unit for one unit, no expansion, and only
// mappings that go both ways (dotless i, long s and final sigma keep their own forms).
TEST(NameCase, ComparesAsWindowsOrdinalIgnoreCase) {
    const struct {
        const wchar_t* a;
        const wchar_t* b;
        bool same;
    } cases[] = {
        {L"Config.ini", L"CONFIG.INI", true},
        {L"\u00E4", L"\u00C4", true},
        {L"\u00FF", L"\u0178", true},
        {L"\u0436\u03C3", L"\u0416\u03A3", true},
        {L"\uFF41", L"\uFF21", true},
        {L"\u01C6", L"\u01C4", true},
        {L"\u00DF", L"SS", false},
        {L"\u00DF", L"\u1E9E", false},
        {L"\u0131", L"I", false},
        {L"\u017F", L"S", false},
        {L"\u03C2", L"\u03A3", false},
        {L"\xD801\xDC28", L"\xD801\xDC00", false},
        {L"a", L"a ", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameNameIgnoringCase(c.a, c.b), c.same) << c.a << L" / " << c.b;
    }
    for (const wchar_t* name : {L"Config.ini", L"config.ini", L"CONFIG.INI", L"cOnFiG.InI"}) {
        EXPECT_TRUE(IsSparedName(name)) << name;
    }
    for (const wchar_t* name : {L"Config.ini.bak", L"Config.inix", L"Config.ini ", L"Config"}) {
        EXPECT_FALSE(IsSparedName(name)) << name;
    }
#ifdef _WIN32
    // Every unit against the system's own table (Wine's, when run under Wine).
    using Upcase = wchar_t(WINAPI*)(wchar_t);
    const auto systemUpcase = reinterpret_cast<Upcase>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlUpcaseUnicodeChar")));
    ASSERT_NE(systemUpcase, nullptr);
    int differing = 0;
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const auto c = static_cast<wchar_t>(unit);
        if (UpcaseUnit(c) != systemUpcase(c) && ++differing <= 20) {
            ADD_FAILURE() << std::hex << unit << ": ours " << static_cast<unsigned>(UpcaseUnit(c))
                          << ", the system's " << static_cast<unsigned>(systemUpcase(c));
        }
    }
    EXPECT_EQ(differing, 0);
#endif
}

}  // namespace
