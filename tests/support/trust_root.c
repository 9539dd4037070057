/* trust_root add|remove CERT.der: puts a certificate into, or takes it out of, the Root
 * store of the Wine prefix it runs in (the tests' throwaway authority, never the machine's). */
#include <windows.h>
#include <wincrypt.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
  static BYTE der[16384];
  FILE* file = argc == 3 ? fopen(argv[2], "rb") : NULL;
  DWORD size = file != NULL ? (DWORD)fread(der, 1, sizeof der, file) : 0;
  /* The current user's Root store in the registry, which CertOpenSystemStoreA(0, "ROOT") also shows. */
  HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "ROOT");
  PCCERT_CONTEXT held = NULL;
  BOOL done;
  if (file != NULL) fclose(file);
  if (size == 0 || root == NULL) {
    fprintf(stderr, "usage: trust_root add|remove CERT.der\n");
    return 2;
  }
  if (strcmp(argv[1], "add") == 0) {
    done = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der, size, CERT_STORE_ADD_REPLACE_EXISTING, NULL);
  } else {
    PCCERT_CONTEXT wanted = CertCreateCertificateContext(X509_ASN_ENCODING, der, size);
    held = wanted != NULL ? CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, wanted, NULL)
                          : NULL;
    done = held != NULL && CertDeleteCertificateFromStore(held); /* frees `held` */
    if (wanted != NULL) CertFreeCertificateContext(wanted);
  }
  CertCloseStore(root, 0);
  return done ? 0 : 1;
}
