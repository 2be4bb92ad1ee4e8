// Suggesting settings from the network: the window's fields filled from the emulated Mac's
// dynamic-store file, the look-up answered by a recording runner. What the suggestion computes
// from the store is tested in tests/network.
#include "app/MainWindow.h"
#include "app/WindowController.h"
#include "foundation/PlistIO.h"
#include "foundation/PlistStrings.h"
#include "platform/emulated/DynamicStoreEmulated.h"
#include "tests/app/AppTestBed.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

using namespace Qt::StringLiterals;

// What the settings fields and the hint show.
struct Fields {
    QString start, end, hint, dns, host, searchDomains;
    bool operator==(const Fields&) const = default;
};

void PrintTo(const Fields& f, std::ostream* out)
{
    for (const QString& text : {f.start, f.end, f.hint, f.dns, f.host, f.searchDomains})
        *out << '[' << text.toStdString() << ']';
}

Fields fieldsOf(const WindowController& window)
{
    return {window.startIPAddressField->text(), window.endIPAddressField->text(),
            window.portForwardingInfo->text(),  window.dnsServerAddressesField->text(),
            window.vpnHostField->text(),        window.searchDomainsField->text()};
}

void setFields(WindowController& window, const Fields& f)
{
    window.startIPAddressField->setText(f.start);
    window.endIPAddressField->setText(f.end);
    window.portForwardingInfo->setText(f.hint);
    window.dnsServerAddressesField->setText(f.dns);
    window.vpnHostField->setText(f.host);
    window.searchDomainsField->setText(f.searchDomains);
}

// The store as a Mac holds it: primary interface en0 with its addresses, and the DNS servers.
void writeStore(const PlatformPaths& paths, const std::vector<std::string>& addresses,
                const std::vector<std::string>& dnsServers)
{
    PlistDictionary keys;
    if (!addresses.empty()) {
        PlistDictionary global;
        global.set("PrimaryInterface", std::string("en0"));
        keys.set("State:/Network/Global/IPv4", global);
        PlistDictionary interface;
        interface.set("Addresses", stringArray(addresses));
        keys.set("State:/Network/Interface/en0/IPv4", interface);
    }
    if (!dnsServers.empty()) {
        PlistDictionary dns;
        dns.set("ServerAddresses", stringArray(dnsServers));
        keys.set("State:/Network/Global/DNS", dns);
    }
    const std::filesystem::path file = paths.map(kDynamicStoreFile);
    std::filesystem::create_directories(file.parent_path());
    ASSERT_TRUE(writePlistAtomically(keys, file));
}

const QString kHint = u"If you\u2019re running the VPN Server on a local network behind a router, set the router to "
                      u"forward UDP ports 500, 1701, and 4500 to the IP address: 192.168.1.37"_s;
const Fields kTyped{u"10.9.9.1"_s, u"10.9.9.9"_s, u"old hint"_s, u"1.1.1.1"_s, QString(), u"example.org"_s};

struct SuggestionCase {
    const char* name;
    std::vector<std::string> addresses;
    std::vector<std::string> dnsServers;
    QString typedHost;
    std::string lookUpAnswer;
    Fields expected;
    int lookUps;
};

TEST(WindowSuggestion, FieldsFromTheStoreFileOfTheRoot)
{
    const SuggestionCase cases[] = {
        {"all found",
         {"192.168.1.37"},
         {"10.0.0.1", "10.0.0.2"},
         QString(),
         "vpn.example.com.",
         {u"192.168.1.224"_s, u"192.168.1.254"_s, kHint, u"10.0.0.1, 10.0.0.2"_s, u"vpn.example.com"_s,
          u"example.org"_s},
         1},
        {"host typed stays",
         {"192.168.1.37"},
         {"10.0.0.1"},
         u"mine.example"_s,
         "vpn.example.com.",
         {u"192.168.1.224"_s, u"192.168.1.254"_s, kHint, u"10.0.0.1"_s, u"mine.example"_s, u"example.org"_s},
         1},
        {"no DNS servers",
         {"192.168.1.37"},
         {},
         QString(),
         "unused.",
         {u"192.168.1.224"_s, u"192.168.1.254"_s, kHint, u"1.1.1.1"_s, QString(), u"example.org"_s},
         0},
        {"empty store", {}, {}, QString(), "unused.", kTyped, 0},
    };
    for (const SuggestionCase& c : cases) {
        SCOPED_TRACE(c.name);
        AppTestBed bed;
        writeStore(bed.paths, c.addresses, c.dnsServers);
        bed.recorder.setHandler([&c](const RecordingRunner::Arguments&) { return c.lookUpAnswer; });
        WindowController& window = bed.makeController();
        Fields typed = kTyped;
        typed.host = c.typedHost;
        setFields(window, typed);

        window.window()->findChild<QAction*>(u"suggestIPAddressesAction"_s)->trigger();
        EXPECT_EQ(fieldsOf(window), c.expected);
        EXPECT_EQ(bed.recorder.runs().size(), static_cast<std::size_t>(c.lookUps));

        // Again on the same network: nothing moves, the host found the first time included.
        window.window()->findChild<QAction*>(u"suggestIPAddressesAction"_s)->trigger();
        EXPECT_EQ(fieldsOf(window), c.expected);
        EXPECT_EQ(bed.recorder.runs().size(), static_cast<std::size_t>(2 * c.lookUps));
        EXPECT_EQ(bed.interaction.alerts().size(), 0);
        EXPECT_TRUE(bed.log.lines.empty());
    }
}

} // namespace
} // namespace veltrona::test
