#pragma once

#include <memory>
#include <string>

#include <openssl/types.h>

#include "tests/support/temp_dir.h"

namespace zorvane::test {

// Which certificate a TLS test server presents.
enum class CertKind
{
    Trusted,    // signed by the test CA, names 127.0.0.1 and localhost, valid now
    SelfSigned, // right names and dates, but signed by itself
    WrongName,  // signed by the test CA, but only for wrong.invalid
    Expired,    // signed by the test CA, right names, expired yesterday
};

struct X509Deleter
{
    void operator()(X509* cert) const;
};
struct PkeyDeleter
{
    void operator()(EVP_PKEY* key) const;
};
using X509Ptr = std::unique_ptr<X509, X509Deleter>;
using PkeyPtr = std::unique_ptr<EVP_PKEY, PkeyDeleter>;

// A server certificate and its key.
struct CertAndKey
{
    X509Ptr cert;
    PkeyPtr key;
};

// A throw-away certificate authority made in memory at first use, with one
// leaf certificate of each CertKind. The CA certificate is also written as a
// PEM file so that clients can be told to trust it.
class TestPki final
{
public:
    // The process-wide instance, made on first call (thread-safe).
    static const TestPki& shared();

    // Path of the CA certificate in PEM form.
    const std::string& caFile() const { return m_caFile; }
    const CertAndKey& leaf(CertKind kind) const;

    TestPki(const TestPki&) = delete;
    TestPki& operator=(const TestPki&) = delete;

private:
    TestPki();

    TempDir m_dir;
    CertAndKey m_ca;
    CertAndKey m_trusted;
    CertAndKey m_selfSigned;
    CertAndKey m_wrongName;
    CertAndKey m_expired;
    std::string m_caFile;
};

} // namespace zorvane::test
