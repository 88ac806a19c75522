#pragma once
// Who signed a file, as its signer certificate's subject says, and whether
// that is the signer the build names: a plain name is the subject's common
// name; a whole subject ("CN=Tarnwell Devices Ltd., O=Tarnwell Devices
// Ltd., C=GB") must match in every part. Only the subject's own attributes
// count, never an alternative name.
#include <string>
#include <vector>

struct SubjectPart {
    std::wstring type;   // "CN", "O", "C", ... ("OID.1.2.3" for one without a short name)
    std::wstring value;
    bool operator==(const SubjectPart& o) const { return type == o.type && value == o.value; }
};

// The short name of an attribute's object identifier ("2.5.4.3" -> "CN").
std::wstring SubjectPartType(const std::string& oid);

// "CN=…, O=…": parts separated by commas, a value in double quotes may hold
// commas; types in any case ("st" counts as "S"). False when text is no such list.
bool ParseSubject(const std::wstring& text, std::vector<SubjectPart>& parts);

bool SignerMatches(const std::vector<SubjectPart>& subject, const std::wstring& signer);

// "CN=…, O=…, C=…": for the log.
std::wstring SubjectText(const std::vector<SubjectPart>& subject);
