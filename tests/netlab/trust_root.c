/* Adds a PEM certificate to the LOCAL_MACHINE ROOT store of the Wine prefix it
 * runs in, as an administrator's import would: the lab's own root CA. */
#include <windows.h>
#include <wincrypt.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: trust_root FILE.pem\n");
        return 2;
    }
    FILE* f = fopen(argv[1], "rb");
    if (!f) {
        fprintf(stderr, "trust_root: cannot open %s\n", argv[1]);
        return 1;
    }
    static char pem[65536];
    const size_t n = fread(pem, 1, sizeof pem - 1, f);
    fclose(f);
    pem[n] = 0;
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem, 0, CRYPT_STRING_BASE64HEADER, NULL, &size, NULL, NULL))
        return 1;
    BYTE* der = malloc(size);
    if (!der || !CryptStringToBinaryA(pem, 0, CRYPT_STRING_BASE64HEADER, der, &size, NULL, NULL))
        return 1;
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    if (!root)
        return 1;
    const BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der, size,
                                                        CERT_STORE_ADD_REPLACE_EXISTING, NULL);
    CertCloseStore(root, 0);
    free(der);
    if (!added) {
        fprintf(stderr, "trust_root: the store refused the certificate (%lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
