#include "tests/foundation/PlistSamples.h"

#include <cstdint>
#include <limits>

namespace veltrona::test {

PlistDictionary everyKindDictionary()
{
    PlistDictionary inner;
    inner.set("ConfigMethod", "Manual");
    inner.set("DestAddressRanges", PlistArray{"10.0.0.10", "10.0.0.20"});
    inner.set("Empty", PlistDictionary{});

    PlistDictionary root;
    root.set("VPNHost", "vpn.example.com");
    root.set("Escaped", "a < b & c > d \"quoted\" 'single'");
    root.set("Unicode", "Gr\xC3\xBC\xC3\x9F"
                        "e \xE2\x80\x99 \xE3\x80\x80 \xF0\x9F\x94\x92");
    root.set("EmptyString", "");
    root.set("Integer", 128);
    root.set("Negative", -2);
    root.set("Largest", std::numeric_limits<std::int64_t>::max());
    root.set("Smallest", std::numeric_limits<std::int64_t>::min());
    root.set("Real", 0.1);
    root.set("WholeReal", 3.0);
    root.set("NegativeReal", -1234.5);
    root.set("True", true);
    root.set("False", false);
    root.set("Date", PlistDate{600000000});
    root.set("EarlyDate", PlistDate{-31622400});
    root.set("SharedSecret", PlistData{'s', 'e', 'c', 'r', 'e', 't', 0x00, 0xFF});
    root.set("EmptyData", PlistData{});
    root.set("Array", PlistArray{"one", 2, PlistArray{}, PlistArray{true}});
    root.set("EmptyArray", PlistArray{});
    root.set("IPv4", inner);
    return root;
}

std::string everyKindMacXml()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>Array</key>
	<array>
		<string>one</string>
		<integer>2</integer>
		<array/>
		<array>
			<true/>
		</array>
	</array>
	<key>Date</key>
	<date>2020-01-06T10:40:00Z</date>
	<key>EarlyDate</key>
	<date>2000-01-01T00:00:00Z</date>
	<key>EmptyArray</key>
	<array/>
	<key>EmptyData</key>
	<data>
	</data>
	<key>EmptyString</key>
	<string></string>
	<key>Escaped</key>
	<string>a &lt; b &amp; c &gt; d "quoted" 'single'</string>
	<key>False</key>
	<false/>
	<key>IPv4</key>
	<dict>
		<key>ConfigMethod</key>
		<string>Manual</string>
		<key>DestAddressRanges</key>
		<array>
			<string>10.0.0.10</string>
			<string>10.0.0.20</string>
		</array>
		<key>Empty</key>
		<dict/>
	</dict>
	<key>Integer</key>
	<integer>128</integer>
	<key>Largest</key>
	<integer>9223372036854775807</integer>
	<key>Negative</key>
	<integer>-2</integer>
	<key>NegativeReal</key>
	<real>-1234.5</real>
	<key>Real</key>
	<real>0.10000000000000001</real>
	<key>SharedSecret</key>
	<data>
	c2VjcmV0AP8=
	</data>
	<key>Smallest</key>
	<integer>-9223372036854775808</integer>
	<key>True</key>
	<true/>
	<key>Unicode</key>
	<string>Grüße ’ 　 🔒</string>
	<key>VPNHost</key>
	<string>vpn.example.com</string>
	<key>WholeReal</key>
	<real>3</real>
</dict>
</plist>
)";
}

} // namespace veltrona::test
