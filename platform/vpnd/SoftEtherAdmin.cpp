#include "platform/vpnd/SoftEtherAdmin.h"

#include "foundation/UtcTime.h"

#include <httplib.h>
#include <nlohmann/json.hpp>
#include <openssl/pem.h>

#include <map>

namespace veltrona {

namespace {

constexpr const char* kHub = "DEFAULT";
constexpr const char* kNoConnection = "nothing answers at SoftEther's administration port";

using Json = nlohmann::json;

X509_STORE* storeOf(const std::string& pem)
{
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    X509* certificate = bio ? PEM_read_bio_X509(bio, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(bio);
    X509_STORE* store = certificate ? X509_STORE_new() : nullptr;
    if (store && X509_STORE_add_cert(store, certificate) != 1) {
        X509_STORE_free(store);
        store = nullptr;
    }
    X509_free(certificate);
    return store;
}

std::string text(const Json& object, const char* key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

std::uint64_t number(const Json& object, const char* key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_number_unsigned() ? found->get<std::uint64_t>() : 0;
}

bool flag(const Json& object, const char* key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_boolean() && found->get<bool>();
}

// An address SoftEther has not learned comes as 0.0.0.0.
std::string address(const Json& object, const char* key)
{
    const std::string value = text(object, key);
    return value == "0.0.0.0" ? std::string() : value;
}

} // namespace

SoftEtherAdmin::SoftEtherAdmin(const AdminChannel& channel)
    : channel_(channel), client_(std::make_unique<httplib::SSLClient>("127.0.0.1", static_cast<int>(channel.port)))
{
    client_->set_connection_timeout(2, 0);
    client_->set_read_timeout(5, 0);
    client_->set_write_timeout(5, 0);
    client_->set_keep_alive(true);
    // One request goes out as one segment, not held back until the last one is acknowledged.
    client_->set_tcp_nodelay(true);
    client_->set_ca_cert_store(storeOf(channel.certificatePem));
    client_->enable_server_certificate_verification(true);
}

SoftEtherAdmin::~SoftEtherAdmin() = default;

bool refusedConnection(const std::string& reason)
{
    return reason == kNoConnection;
}

SoftEtherAdmin::Answer SoftEtherAdmin::call(const std::string& method, const std::string& params)
{
    const std::string request = R"({"jsonrpc":"2.0","id":"1","method":")" + method + R"(","params":)" + params + "}";
    const httplib::Headers headers = {{"X-VPNADMIN-PASSWORD", channel_.password}};
    const httplib::Result response = client_->Post("/api/", headers, request, "application/json");
    if (!response) {
        if (response.error() == httplib::Error::Connection)
            return {{}, kNoConnection};
        return {{}, "SoftEther's administration did not answer (" + httplib::to_string(response.error()) + ")"};
    }
    if (response->status != 200)
        return {{}, "SoftEther's administration answered HTTP " + std::to_string(response->status)};
    return {response->body, {}};
}

AdminResult<std::vector<VpnSession>> SoftEtherAdmin::sessions()
{
    const Json hub = {{"HubName_str", kHub}};
    const Answer listed = call("EnumSession", hub.dump());
    if (!listed.failure.empty())
        return listed.failure;
    const Json answer = Json::parse(listed.body, nullptr, false);
    if (answer.is_discarded() || !answer.contains("result"))
        return std::string("SoftEther's administration gave no session list");
    // The address each session uses inside the tunnel: SoftEther learns it from its packets.
    const Answer addresses = call("EnumIpTable", hub.dump());
    if (!addresses.failure.empty())
        return addresses.failure;
    const Json table = Json::parse(addresses.body, nullptr, false);
    std::map<std::string, std::string> tunnelAddresses;
    if (!table.is_discarded() && table.contains("result"))
        for (const Json& entry : table["result"].value("IpTable", Json::array()))
            if (entry.is_object() && !address(entry, "Ip_ip").empty()
                && (flag(entry, "DhcpAllocated_bool") || !tunnelAddresses.count(text(entry, "SessionName_str"))))
                tunnelAddresses[text(entry, "SessionName_str")] = address(entry, "Ip_ip");

    std::vector<VpnSession> sessions;
    const Json& list = answer["result"].value("SessionList", Json::array());
    for (const Json& item : list) {
        if (!item.is_object() || flag(item, "SecureNATMode_bool") || flag(item, "LinkMode_bool")
            || flag(item, "BridgeMode_bool") || flag(item, "Layer3Mode_bool"))
            continue;
        VpnSession session;
        session.id = text(item, "Name_str");
        session.user = text(item, "Username_str");
        session.remoteAddress = address(item, "ClientIP_ip");
        // SoftEther writes "2026-12-08T17:04:05.123", in UTC.
        session.connectedSince = unixTimeOfUtc(text(item, "CreatedTime_dt")).value_or(0);
        const Json asked = {{"HubName_str", kHub}, {"Name_str", session.id}};
        const Answer status = call("GetSessionStatus", asked.dump());
        if (!status.failure.empty())
            return status.failure;
        const Json detail = Json::parse(status.body, nullptr, false);
        // A session that ended between the two questions is not listed.
        if (detail.is_discarded() || !detail.contains("result"))
            continue;
        const Json& result = detail["result"];
        if (const auto found = tunnelAddresses.find(session.id); found != tunnelAddresses.end())
            session.tunnelAddress = found->second;
        session.bytesIn = number(result, "TotalRecvSize_u64");
        session.bytesOut = number(result, "TotalSendSize_u64");
        sessions.push_back(std::move(session));
    }
    return sessions;
}

AdminResult<bool> SoftEtherAdmin::end(const std::string& id)
{
    const Json asked = {{"HubName_str", kHub}, {"Name_str", id}};
    const Answer answer = call("DeleteSession", asked.dump());
    if (!answer.failure.empty())
        return answer.failure;
    const Json parsed = Json::parse(answer.body, nullptr, false);
    return !parsed.is_discarded() && parsed.contains("result");
}

} // namespace veltrona
