#pragma once

#include <string>

#include <curl/curl.h>

namespace zorvane {

// Owns one libcurl easy handle. A handle kept across requests keeps its
// connection, DNS and TLS session caches. Move-only.
class CurlHandle final
{
public:
    // Makes a new easy handle; check valid(), creation can fail.
    CurlHandle();
    ~CurlHandle();
    CurlHandle(CurlHandle&& other) noexcept;
    CurlHandle& operator=(CurlHandle&& other) noexcept;
    CurlHandle(const CurlHandle&) = delete;
    CurlHandle& operator=(const CurlHandle&) = delete;

    bool valid() const { return m_curl != nullptr; }
    CURL* get() const { return m_curl; }

private:
    CURL* m_curl;
};

// Owns a libcurl header list. Move-only.
class CurlHeaderList final
{
public:
    CurlHeaderList() = default;
    ~CurlHeaderList();
    CurlHeaderList(CurlHeaderList&& other) noexcept;
    CurlHeaderList& operator=(CurlHeaderList&& other) noexcept;
    CurlHeaderList(const CurlHeaderList&) = delete;
    CurlHeaderList& operator=(const CurlHeaderList&) = delete;

    // False when libcurl could not copy the line.
    bool append(const std::string& line);
    curl_slist* get() const { return m_list; }

private:
    curl_slist* m_list = nullptr;
};

} // namespace zorvane
