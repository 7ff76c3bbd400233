#include "tests/support/test_pki.h"

#include <cstdio>
#include <stdexcept>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace zorvane::test {

void X509Deleter::operator()(X509* cert) const
{
    X509_free(cert);
}

void PkeyDeleter::operator()(EVP_PKEY* key) const
{
    EVP_PKEY_free(key);
}

namespace {

constexpr long kDay = 24 * 60 * 60;

void check(bool ok, const char* what)
{
    if (!ok)
        throw std::runtime_error(std::string("test PKI: ") + what);
}

PkeyPtr makeKey()
{
    // P-256 keys take microseconds, unlike RSA, so every run can make fresh ones.
    PkeyPtr key(EVP_EC_gen("P-256"));
    check(key != nullptr, "key generation");
    return key;
}

void addExtension(X509* cert, X509* issuer, int nid, const char* value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    check(ext != nullptr, "extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

struct CertProfile
{
    const char* commonName;
    const char* altNames; // nullptr for the CA
    long notBeforeSeconds;
    long notAfterSeconds;
};

// Issues a certificate for key; a null issuer makes it self-signed.
X509Ptr issue(const CertProfile& profile, EVP_PKEY* key, const CertAndKey* issuer)
{
    static long serial = 1;
    X509Ptr cert(X509_new());
    check(cert != nullptr, "X509_new");
    X509* x = cert.get();
    X509_set_version(x, X509_VERSION_3);
    ASN1_INTEGER_set(X509_get_serialNumber(x), serial++);
    X509_gmtime_adj(X509_getm_notBefore(x), profile.notBeforeSeconds);
    X509_gmtime_adj(X509_getm_notAfter(x), profile.notAfterSeconds);
    X509_set_pubkey(x, key);
    X509_NAME* name = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Zorvane tests"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(profile.commonName), -1, -1, 0);
    X509* issuerCert = issuer ? issuer->cert.get() : x;
    X509_set_issuer_name(x, X509_get_subject_name(issuerCert));

    addExtension(x, issuerCert, NID_subject_key_identifier, "hash");
    if (profile.altNames) {
        addExtension(x, issuerCert, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(x, issuerCert, NID_key_usage, "critical,digitalSignature");
        addExtension(x, issuerCert, NID_ext_key_usage, "serverAuth");
        addExtension(x, issuerCert, NID_subject_alt_name, profile.altNames);
    } else {
        addExtension(x, issuerCert, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(x, issuerCert, NID_key_usage, "critical,keyCertSign,cRLSign");
    }
    if (issuer)
        addExtension(x, issuerCert, NID_authority_key_identifier, "keyid");

    check(X509_sign(x, issuer ? issuer->key.get() : key, EVP_sha256()) > 0, "signing");
    return cert;
}

CertAndKey makeLeaf(const CertProfile& profile, const CertAndKey* issuer)
{
    CertAndKey leaf;
    leaf.key = makeKey();
    leaf.cert = issue(profile, leaf.key.get(), issuer);
    return leaf;
}

void writePem(const std::string& path, X509* cert)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    check(file != nullptr, "opening the CA file");
    bool ok = PEM_write_X509(file, cert) == 1;
    ok = std::fclose(file) == 0 && ok;
    check(ok, "writing the CA file");
}

} // namespace

TestPki::TestPki()
{
    const char* names = "IP:127.0.0.1,DNS:localhost";
    m_ca.key = makeKey();
    m_ca.cert = issue({"Zorvane Test CA", nullptr, -kDay, 30 * kDay}, m_ca.key.get(), nullptr);
    m_trusted = makeLeaf({"127.0.0.1", names, -kDay, 30 * kDay}, &m_ca);
    m_selfSigned = makeLeaf({"127.0.0.1", names, -kDay, 30 * kDay}, nullptr);
    m_wrongName = makeLeaf({"wrong.invalid", "DNS:wrong.invalid", -kDay, 30 * kDay}, &m_ca);
    m_expired = makeLeaf({"127.0.0.1", names, -30 * kDay, -kDay}, &m_ca);
    m_caFile = m_dir.file("test-ca.pem");
    writePem(m_caFile, m_ca.cert.get());
}

const TestPki& TestPki::shared()
{
    static const TestPki pki;
    return pki;
}

const CertAndKey& TestPki::leaf(CertKind kind) const
{
    switch (kind) {
    case CertKind::SelfSigned:
        return m_selfSigned;
    case CertKind::WrongName:
        return m_wrongName;
    case CertKind::Expired:
        return m_expired;
    case CertKind::Trusted:
        break;
    }
    return m_trusted;
}

} // namespace zorvane::test
