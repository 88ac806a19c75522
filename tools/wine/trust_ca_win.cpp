// Adds a DER certificate to the machine's trusted roots of the current Wine
// prefix, so that the local device service's certificates are believed there
// and nowhere else.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: trust_ca <certificate.der>\n", stderr);
        return 2;
    }
    FILE* file = _wfopen(argv[1], L"rb");
    if (!file) return 1;
    std::vector<BYTE> der(65536);
    const size_t size = std::fread(der.data(), 1, der.size(), file);
    std::fclose(file);
    HCERTSTORE root = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (!root) return 1;
    const BOOL added = ::CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(),
                                                          static_cast<DWORD>(size),
                                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    ::CertCloseStore(root, 0);
    return added ? 0 : 1;
}
