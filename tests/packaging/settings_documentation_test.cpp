// The settings documentation follows the program: the manual page describes
// every key the program saves, and the example settings file (the service's
// settings as installed) holds every key the gateway saves, so a gateway
// started with it writes nothing back, names no key the program ignores, and
// gives the defaults except where it means to differ.

#include "platform/ini_file.h"
#include "radio/admin_settings.h"
#include "radio/client_settings.h"
#include "radio/rig_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace {
using Key = std::pair<std::string, std::string>; // section, key

std::string ReadFile(const std::string& name) {
    std::ifstream file(std::string(TAVRO_PACKAGING_DIR) + "/" + name);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Lower(std::string text) {
    std::ranges::transform(text, text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::set<Key> Keys(const CIniFile& ini) {
    std::set<Key> keys;
    for (const CIniFile::Value& value : ini.Values())
        keys.insert({value.section, value.key});
    return keys;
}

// What the gateway writes with lists as long as `listLength`.
CIniFile GatewaySave(size_t listLength) {
    ClientSettings client;
    client.presets.resize(listLength);
    client.announcements.resize(listLength);
    CIniFile ini;
    SaveClientSettings(ini, client);
    SaveRigSettings(ini, RigSettings{});
    return ini;
}

// Every key the program saves, with two entries in each list, the restrictions
// editor's keys included.
std::set<Key> AllSavedKeys() {
    CIniFile ini = GatewaySave(2);
    // The sound device's name is saved once one is chosen.
    RigSettings namedDevice;
    namedDevice.audioDeviceName = "plughw:CARD=Device,DEV=0";
    SaveRigSettings(ini, namedDevice);
    SaveAdminColumnWidths(ini, AdminColumnWidths{});
    SaveRestrictedBy(ini, "");
    return Keys(ini);
}

// The program's keys that it reads but never writes: the Internet test's page
// and the serial devices.
const std::set<Key> kReadOnlyKeys = {
    {kClientSection, "DIALURL"}, {"COM_PORTS", "COM1"}, {"COM_PORTS", "COM2"}};

// The documentation writes a list entry's number as "n": "P0Name" is "P n Name". A key's
// digits are an entry's number when the program also has the key with another number there
// ("P1Name"), unlike the digits of a name such as "CM108DEV".
struct Spelling {
    std::string prefix, suffix;
    bool numbered = false;
};
Spelling Spell(const std::string& key) {
    static const std::set<std::string> names = [] {
        std::set<std::string> all;
        for (const auto& keys : {AllSavedKeys(), kReadOnlyKeys})
            for (const auto& [section, name] : keys)
                all.insert(Lower(name));
        return all;
    }();
    const size_t digit = key.find_first_of("0123456789");
    if (digit == std::string::npos)
        return {key, "", false};
    const size_t after = std::min(key.find_first_not_of("0123456789", digit), key.size());
    const std::string prefix = key.substr(0, digit), suffix = key.substr(after);
    const std::string number = key.substr(digit, after - digit);
    for (const char* other : {"0", "1", "2"})
        if (other != number && names.contains(Lower(prefix + other + suffix)))
            return {prefix, suffix, true};
    return {key, "", false};
}

// The key's heading line in the manual page.
std::string ManHeading(const std::string& key) {
    const Spelling s = Spell(key);
    if (!s.numbered)
        return ".B " + key;
    return ".BI " + s.prefix + " n" + (s.suffix.empty() ? "" : " " + s.suffix);
}

// Section and key, letter case and entry numbers left out of the comparison.
Key Normal(const std::string& section, const std::string& key) {
    const Spelling s = Spell(key);
    return {Lower(section), Lower(s.prefix + (s.numbered ? "#" : "") + s.suffix)};
}

// The keys of the example, those in comment lines (";KEY=value") too. A section header in a
// comment (";[SECTION]") holds the commented keys that follow it, up to the next key in force.
std::set<Key> ExampleKeysWithCommentedOnes(const std::string& example) {
    std::set<Key> keys;
    std::istringstream lines(example);
    std::string line, section, commentedSection;
    while (std::getline(lines, line)) {
        const bool commented = line.starts_with(';');
        if (commented)
            line.erase(0, 1);
        if (line.starts_with('[') && line.ends_with(']')) {
            (commented ? commentedSection : section) = line.substr(1, line.size() - 2);
            continue;
        }
        const size_t equals = line.find('=');
        const std::string key = line.substr(0, equals);
        if (equals == std::string::npos || key.empty() ||
            !std::ranges::all_of(key, [](unsigned char c) { return std::isalnum(c) || c == '_'; }))
            continue;
        if (!commented)
            commentedSection.clear();
        keys.insert({commented && !commentedSection.empty() ? commentedSection : section, key});
    }
    return keys;
}

TEST(SettingsDocumentation, ManualPageDescribesEverySavedKey) {
    const std::string man = ReadFile("man/tavro-client.1");
    ASSERT_FALSE(man.empty());
    std::set<std::string> headings;
    for (const auto& [section, key] : AllSavedKeys())
        headings.insert(ManHeading(key));
    for (const std::string& heading : headings)
        EXPECT_NE(man.find("\n" + heading + "\n"), std::string::npos) << "no " << heading;
}

TEST(SettingsDocumentation, ExampleHoldsTheGatewaysKeysInTheProgramsLayoutAndNoUnknownOne) {
    const std::string example = ReadFile("tavro-client.INI.example");
    ASSERT_FALSE(example.empty());
    CIniFile ini;
    ini.LoadText(example);
    // Laid out as the program writes a file, so that a save changes only the lines of the
    // values it changed, and no comment is lost.
    EXPECT_EQ(ini.ToText(), example);

    std::set<Key> present;
    for (const auto& [section, key] : Keys(ini))
        present.insert({Lower(section), Lower(key)});
    for (const auto& [section, key] : Keys(GatewaySave(0)))
        EXPECT_TRUE(present.contains({Lower(section), Lower(key)}))
            << "[" << section << "] " << key << " is missing: the gateway would add it";

    std::set<Key> known;
    for (const auto& keys : {AllSavedKeys(), kReadOnlyKeys})
        for (const auto& [section, key] : keys)
            known.insert(Normal(section, key));
    for (const auto& [section, key] : ExampleKeysWithCommentedOnes(example))
        EXPECT_TRUE(known.contains(Normal(section, key)))
            << "[" << section << "] " << key << " is no key of the program";
}

TEST(SettingsDocumentation, ExampleGivesTheDefaultsButReconnectsAndUsesTheFirstCard) {
    CIniFile ini;
    ini.LoadText(ReadFile("tavro-client.INI.example"));
    ClientSettings client;
    RigSettings rig;
    LoadClientSettings(ini, client);
    LoadRigSettings(ini, rig);

    ClientSettings expectedClient;
    expectedClient.autoReconnect = true;
    EXPECT_TRUE(client == expectedClient);
    RigSettings expectedRig;
    expectedRig.audioDevice = 0;
    EXPECT_TRUE(rig == expectedRig);
}
} // namespace
