#include <gtest/gtest.h>

#include "sys/signer_subject.h"

// The build's signer is a whole subject ("CN=…, O=…, C=…"), every part of
// which the certificate's own subject must have, or a plain name, which is
// its common name. Alternative names are never in the subject read.
TEST(SignerSubject, EveryPartOfTheNamedSubjectMustMatch) {
    const std::vector<SubjectPart> vendor = {{L"C", L"GB"}, {L"O", L"Tarnwell Devices, Ltd."},
                                             {L"CN", L"Tarnwell Devices Ltd."}};
    const struct { const wchar_t* signer; bool matches; } cases[] = {
        {L"Tarnwell Devices Ltd.", true},
        {L"CN=Tarnwell Devices Ltd.", true},
        {L"CN=Tarnwell Devices Ltd., O=\"Tarnwell Devices, Ltd.\", C=GB", true},
        {L"cn=Tarnwell Devices Ltd.,o=\"Tarnwell Devices, Ltd.\"", true},
        {L"CN=Tarnwell Devices Ltd., O=Tarnwell Devices, C=GB", false},  // unquoted: "Ltd." is no part
        {L"CN=Tarnwell Devices Ltd., C=DE", false},
        {L"CN=Tarnwell Devices Ltd., OU=Drivers", false},
        {L"tarnwell devices ltd.", false},
        {L"Tarnwell", false},
        {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(SignerMatches(vendor, c.signer), c.matches) << std::wstring(c.signer).size();
    EXPECT_FALSE(SignerMatches({{L"O", L"Tarnwell Devices Ltd."}}, L"Tarnwell Devices Ltd."));  // no common name
    EXPECT_EQ(SubjectText(vendor), L"C=GB, O=Tarnwell Devices, Ltd., CN=Tarnwell Devices Ltd.");

    const struct { const char* oid; const wchar_t* type; } types[] = {
        {"2.5.4.3", L"CN"}, {"2.5.4.10", L"O"}, {"2.5.4.6", L"C"}, {"2.5.4.8", L"S"}, {"1.2.3.4", L"OID.1.2.3.4"}};
    for (const auto& t : types) EXPECT_EQ(SubjectPartType(t.oid), t.type) << t.oid;
    std::vector<SubjectPart> parts;
    for (const wchar_t* broken : {L"CN", L"CN=", L"=x", L"CN=\"open", L"C N=x"})
        EXPECT_FALSE(ParseSubject(broken, parts)) << std::wstring(broken).size();
    ASSERT_TRUE(ParseSubject(L"ST=Kent, CN=a", parts));
    EXPECT_EQ(parts, (std::vector<SubjectPart>{{L"S", L"Kent"}, {L"CN", L"a"}}));
}
