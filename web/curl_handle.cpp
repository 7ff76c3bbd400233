#include "web/curl_handle.h"

#include <mutex>
#include <utility>

#include "web/http_request.h"

namespace zorvane {

void httpGlobalInit()
{
    // curl_global_init is not thread-safe; every path to an easy handle goes through here.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CurlHandle::CurlHandle()
{
    httpGlobalInit();
    m_curl = curl_easy_init();
}

CurlHandle::~CurlHandle()
{
    if (m_curl)
        curl_easy_cleanup(m_curl);
}

CurlHandle::CurlHandle(CurlHandle&& other) noexcept : m_curl(std::exchange(other.m_curl, nullptr)) {}

CurlHandle& CurlHandle::operator=(CurlHandle&& other) noexcept
{
    if (this != &other) {
        if (m_curl)
            curl_easy_cleanup(m_curl);
        m_curl = std::exchange(other.m_curl, nullptr);
    }
    return *this;
}

CurlHeaderList::~CurlHeaderList()
{
    curl_slist_free_all(m_list);
}

CurlHeaderList::CurlHeaderList(CurlHeaderList&& other) noexcept : m_list(std::exchange(other.m_list, nullptr))
{
}

CurlHeaderList& CurlHeaderList::operator=(CurlHeaderList&& other) noexcept
{
    if (this != &other) {
        curl_slist_free_all(m_list);
        m_list = std::exchange(other.m_list, nullptr);
    }
    return *this;
}

bool CurlHeaderList::append(const std::string& line)
{
    curl_slist* grown = curl_slist_append(m_list, line.c_str());
    if (!grown)
        return false;
    m_list = grown;
    return true;
}

} // namespace zorvane
