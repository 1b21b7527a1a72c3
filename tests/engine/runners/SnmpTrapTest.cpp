// The BER writer and the SNMP traps built with it, read back with the engine's BER reader;
// the reader's refusal of malformed datagrams.
#include "engine/BerReader.h"
#include "engine/BerWriter.h"
#include "engine/SnmpMessage.h"
#include "engine/SnmpTrapMessage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <utility>

namespace {

using namespace ber;

std::string IntegerBytes(std::int64_t value, unsigned char tag = CBerWriter::kInteger) {
    CBerWriter ber;
    ber.Integer(value, tag);
    return Hex(ber.Bytes());
}

SnmpTrapContent Trap(int version) {
    SnmpTrapContent content;
    content.Version = version;
    content.Community = "public";
    content.Oid = "1.3.6.1.4.1.8072.2.3";
    content.Value = "42";
    content.ValueType = kSnmpInteger;
    content.GenericTrap = 6;
    content.AgentAddress = 0x7f000001;
    content.Uptime = 123456;
    content.RequestId = 77;
    return content;
}

} // namespace

TEST(BerWriter, IntegersUseTheFewestBytes) {
    EXPECT_EQ(IntegerBytes(0), "02 01 00");
    EXPECT_EQ(IntegerBytes(127), "02 01 7F");
    EXPECT_EQ(IntegerBytes(128), "02 02 00 80");
    EXPECT_EQ(IntegerBytes(256), "02 02 01 00");
    EXPECT_EQ(IntegerBytes(-1), "02 01 FF");
    EXPECT_EQ(IntegerBytes(-128), "02 01 80");
    EXPECT_EQ(IntegerBytes(-129), "02 02 FF 7F");
    EXPECT_EQ(IntegerBytes(2147483647), "02 04 7F FF FF FF");
    EXPECT_EQ(IntegerBytes(-2147483648LL), "02 04 80 00 00 00");
    // Unsigned SNMP types keep their top bit out of the sign.
    EXPECT_EQ(IntegerBytes(4294967295LL, CBerWriter::kCounter32), "41 05 00 FF FF FF FF");
    EXPECT_EQ(IntegerBytes(0, CBerWriter::kTimeTicks), "43 01 00");
}

TEST(BerWriter, ObjectIdentifiersAndLengths) {
    CBerWriter ber;
    ASSERT_TRUE(ber.ObjectId("1.3.6.1.4.1.311"));
    EXPECT_EQ(Hex(ber.Bytes()), "06 07 2B 06 01 04 01 82 37");
    CBerWriter large;
    ASSERT_TRUE(large.ObjectId(".2.999.4294967295"));
    EXPECT_EQ(Hex(large.Bytes()), "06 07 88 37 8F FF FF FF 7F");
    std::vector<std::uint32_t> arcs;
    for (const char* bad : {"", "1", "3.1", "1.40", "1..2", "1.2.", "a.b", "1.2.4294967296", "-1.2"}) {
        EXPECT_FALSE(CBerWriter::ParseObjectId(bad, arcs)) << bad;
        CBerWriter none;
        EXPECT_FALSE(none.ObjectId(bad));
        EXPECT_TRUE(none.Bytes().empty());
    }
    EXPECT_TRUE(CBerWriter::ParseObjectId("0.39", arcs));
    EXPECT_TRUE(CBerWriter::ParseObjectId("2.100.3", arcs));

    // Long contents get long-form lengths, also when a sequence closes around them.
    CBerWriter strings;
    strings.Begin();
    strings.OctetString(std::string(200, 'a'));
    strings.OctetString(std::string(300, 'b'));
    strings.End();
    ASSERT_TRUE(strings.Complete());
    const std::string& bytes = strings.Bytes();
    EXPECT_EQ(Hex(bytes.substr(0, 4)), "30 82 01 FB");
    EXPECT_EQ(Hex(bytes.substr(4, 3)), "04 81 C8");
    EXPECT_EQ(Hex(bytes.substr(207, 4)), "04 82 01 2C");
    const Tlv tlv = Decode(bytes).value();
    ASSERT_EQ(tlv.Parts.size(), 2u);
    EXPECT_EQ(tlv.Parts[1].Content, std::string(300, 'b'));
    strings.End(); // nothing open: no change
    EXPECT_EQ(strings.Bytes().size(), bytes.size());
}

TEST(SnmpTrap, Version1TrapAndVersion2Notification) {
    std::string message, why;
    ASSERT_EQ(BuildSnmpTrap(Trap(1), message, why), 0) << why;
    // version-1, community, Trap-PDU: enterprise, agent address, generic and specific
    // trap, uptime, one binding.
    EXPECT_EQ(Render(Decode(message).value()), "30{02:0 'public' A4{1.3.6.1.4.1.8072.2.3 40:7F 00 00 01 02:6 02:0 43:123456 "
                                          "30{30{1.3.6.1.4.1.8072.2.3 02:42}}}}");

    // version-2c, SNMPv2-Trap-PDU: request ID, error status and index, then uptime, the
    // trap OID and the value as bindings; a generic trap names the standard trap.
    SnmpTrapContent content = Trap(2);
    content.ValueType = kSnmpString;
    content.Value = "disk full";
    for (const auto& [generic, trapOid] : {std::pair{6, "1.3.6.1.4.1.8072.2.3"}, std::pair{0, "1.3.6.1.6.3.1.1.5.1"}}) {
        content.GenericTrap = generic;
        ASSERT_EQ(BuildSnmpTrap(content, message, why), 0) << why;
        EXPECT_EQ(Render(Decode(message).value()),
                  std::string("30{02:1 'public' A7{02:77 02:0 02:0 30{30{1.3.6.1.2.1.1.3.0 43:123456} "
                              "30{1.3.6.1.6.3.1.1.4.1.0 ") +
                      trapOid + "} 30{1.3.6.1.4.1.8072.2.3 'disk full'}}}}");
    }
}

TEST(SnmpTrap, ValuesInTheirTypes) {
    struct Case {
        int type;
        const char* value;
        unsigned char tag;
        const char* content; // hex
    } cases[] = {
        {kSnmpNull, "ignored", 0x05, ""},
        {kSnmpCounter, "4294967295", 0x41, "00 FF FF FF FF"},
        {kSnmpUnsigned, "7", 0x42, "07"},
        {kSnmpTimeTicks, "100", 0x43, "64"},
        {kSnmpIpAddress, "192.0.2.9", 0x40, "C0 00 02 09"},
        {kSnmpObjectId, "1.3.6.1", 0x06, "2B 06 01"},
        {kSnmpOpaque, "AB", 0x44, "41 42"},
        {kSnmpBits, "\x80", 0x04, "80"},
        {0, "text", 0x04, "74 65 78 74"},
        {kSnmpInteger, "-2", 0x02, "FE"},
    };
    for (const Case& c : cases) {
        SnmpTrapContent content = Trap(1);
        content.ValueType = c.type;
        content.Value = c.value;
        std::string message, why;
        ASSERT_EQ(BuildSnmpTrap(content, message, why), 0) << c.type << ": " << why;
        const Tlv value = Decode(message).value().Parts[2].Parts[5].Parts[0].Parts[1];
        EXPECT_EQ(value.Tag, c.tag) << c.type;
        EXPECT_EQ(Hex(value.Content), c.content) << c.type;
    }
}

TEST(SnmpTrap, RefusedContents) {
    const struct {
        int version;
        std::function<void(SnmpTrapContent&)> edit;
        long code;
    } cases[] = {
        {1, [](auto& c) { c.Value = "2147483648"; }, 22232},
        {1, [](auto& c) { c.ValueType = kSnmpIpAddress, c.Value = "300.1.1.1"; }, 22232},
        {1, [](auto& c) { c.ValueType = kSnmpUnsigned, c.Value = "-1"; }, 22232},
        {1, [](auto& c) { c.ValueType = kSnmpSequence; }, 22231},
        {1, [](auto& c) { c.Oid = "1.3.6.x"; }, 22204},
        {2, [](auto& c) { c.Community = ""; }, 22203},
        {2, [](auto& c) { c.GenericTrap = 7; }, 22227},
    };
    std::string message, why;
    for (const auto& c : cases) {
        SnmpTrapContent content = Trap(c.version);
        c.edit(content);
        EXPECT_EQ(BuildSnmpTrap(content, message, why), c.code) << c.code << " " << why;
    }
    SnmpTrapContent content = Trap(1);
    content.Value = "forty-two";
    EXPECT_EQ(BuildSnmpTrap(content, message, why), 22232);
    EXPECT_EQ(why, "Value 'forty-two' is not an integer (-2147483648 to 2147483647)");
    EXPECT_TRUE(message.empty());
}

namespace {

TEST(BerReader, MalformedBytesAreRefusedNotRead) {
    const std::string nested = [] {
        std::string bytes = "\x05\x00";
        for (int i = 0; i < 20; ++i)
            bytes = std::string("\x30") + static_cast<char>(bytes.size()) + bytes;
        return bytes;
    }();
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"cut short", std::string("\x30\x05\x02\x01", 4)},
        {"inner length past the outer", std::string("\x30\x03\x02\x05\x01", 5)},
        {"indefinite length", std::string("\x30\x80\x00\x00", 4)},
        {"length of five bytes", std::string("\x04\x85\x00\x00\x00\x00\x01\x41", 8)},
        {"bytes after the value", std::string("\x05\x00\x05", 3)},
        {"multi-byte tag", std::string("\x1f\x01\x00", 3)},
        {"nested too deep", nested},
    };
    for (const auto& [what, bytes] : cases)
        EXPECT_FALSE(Decode(bytes).has_value()) << what;
    // Long-form lengths are read; values out of their type's range are not.
    EXPECT_EQ(Decode(std::string("\x04\x81\x01\x41", 4)).value().Content, "A");
    EXPECT_FALSE(Integer({0x02, std::string(9, '\x01'), {}}).has_value());
    EXPECT_FALSE(ObjectId({0x06, "\x2b\x86", {}}).has_value());
    EXPECT_EQ(Unsigned({0x46, std::string("\x00\xff\xff\xff\xff\xff\xff\xff\xff", 9), {}}).value(), ~0ULL);
    // A message that is valid BER but no SNMP message.
    SnmpMessage message;
    std::string why;
    EXPECT_FALSE(ReadSnmpMessage(std::string("\x30\x03\x02\x01\x03", 5), message, why));
    EXPECT_EQ(why, "not an SNMP message");
}

} // namespace
