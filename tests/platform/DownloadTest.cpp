#include "platform/Download.h"

#include "support/RawHttpServer.h"
#include "support/TempDir.h"
#include "support/TestServers.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace {

using support::RawHttpServer;

// Everything in the directory, so that a temporary file left behind is seen.
std::set<std::string> Files(const support::TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::string Path(const std::string& request) {
    const auto start = request.find(' ') + 1;
    return request.substr(start, request.find(' ', start) - start);
}

const std::string kBody(100000, 'n');

// An answer that announces all of kBody, sends half of it and closes the connection.
std::optional<std::string> CutOff(const std::string& status) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(kBody.size()) +
           "\r\nConnection: close\r\n\r\n" + kBody.substr(0, kBody.size() / 2);
}

TEST(DownloadToFile, ReplacesTheTargetOnlyWithACompleteSuccessfulBody) {
    const struct {
        const char* what;
        RawHttpServer::Responder answer;
        bool ok;
        const char* reason;  // part of the error message
    } cases[] = {
        {"complete body", [](const std::string&) { return RawHttpServer::Answer("200 OK", kBody); },
         true, ""},
        {"redirect followed",
         [](const std::string& request) -> std::optional<std::string> {
             if (Path(request) == "/file") {
                 return RawHttpServer::Answer("302 Found", "", "Location: /moved/file\r\n");
             }
             return RawHttpServer::Answer("200 OK", kBody);
         },
         true, ""},
        {"cut off halfway", [](const std::string&) { return CutOff("200 OK"); }, false,
         "bytes remaining"},
        {"not found",
         [](const std::string&) { return RawHttpServer::Answer("404 Not Found", "missing"); },
         false, "HTTP status 404"},
        // The status is judged at the first byte of the body, which is never stored: the
        // transfer ends there, before the body is found to be cut off.
        {"not found, with a body cut off",
         [](const std::string&) { return CutOff("404 Not Found"); }, false, "HTTP status 404"},
        {"redirect nowhere",
         [](const std::string&) { return RawHttpServer::Answer("302 Found", "moved"); }, false,
         "HTTP status 302"},
        {"stalled", [](const std::string&) { return std::nullopt; }, false, "Operation too slow"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const support::TempDir dir;
        dir.Write("Qorvane", "old program");
        const RawHttpServer server(c.answer);
        platform::DownloadLimits limits;
        limits.timeouts.stall = std::chrono::seconds(1);

        const platform::Result result =
            platform::DownloadToFile(server.url("/file"), dir.dir() + "Qorvane", limits);

        EXPECT_EQ(result.ok(), c.ok) << result.error();
        EXPECT_EQ(dir.Read("Qorvane"), c.ok ? kBody : "old program");
        EXPECT_EQ(Files(dir), std::set<std::string>{"Qorvane"});
        if (!c.ok) {
            EXPECT_NE(result.error().find(server.url("/file")), std::string::npos);
            EXPECT_NE(result.error().find(c.reason), std::string::npos) << result.error();
        }
    }
}

TEST(DownloadToFile, CreatesANewFileAndKeepsTheModeOfAReplacedOne) {
    const RawHttpServer server(
        [](const std::string&) { return RawHttpServer::Answer("200 OK", "new"); });
    const support::TempDir dir;
    dir.Write("Brannick", "old copier");
    std::filesystem::permissions(dir.path() / "Brannick", std::filesystem::perms(0751));
    dir.Write("Qorvane", "old program");
    ASSERT_EQ(chmod((dir.path() / "Qorvane").c_str(), 06755), 0);

    ASSERT_TRUE(platform::DownloadToFile(server.url("/a"), dir.dir() + "Brannick"));
    ASSERT_TRUE(platform::DownloadToFile(server.url("/b"), dir.dir() + "UpGrade_New.xml"));
    ASSERT_TRUE(platform::DownloadToFile(server.url("/c"), dir.dir() + "Qorvane"));

    EXPECT_EQ(dir.Read("Brannick"), "new");
    EXPECT_EQ(dir.Read("UpGrade_New.xml"), "new");
    EXPECT_EQ(std::filesystem::status(dir.path() / "Brannick").permissions(),
              std::filesystem::perms(0751));
    // A downloaded program never inherits the right to run as the replaced one's owner.
    struct stat replaced {};
    ASSERT_EQ(stat((dir.path() / "Qorvane").c_str(), &replaced), 0);
    EXPECT_EQ(replaced.st_mode & 07777, 0755u);
}

TEST(DownloadToFile, FailsIntoADirectoryThatDoesNotExist) {
    const RawHttpServer server(
        [](const std::string&) { return RawHttpServer::Answer("200 OK", "new"); });
    const support::TempDir dir;
    const platform::Result result =
        platform::DownloadToFile(server.url("/a"), dir.dir() + "$tmpUpGrade/Qorvane");
    EXPECT_FALSE(result);
    EXPECT_TRUE(Files(dir).empty());
}

// A self-signed certificate for 127.0.0.1, held in memory and written to a PEM file.
class LocalCertificate {
  public:
    explicit LocalCertificate(const std::filesystem::path& pemFile)
        : key_(EVP_EC_gen("P-256"), EVP_PKEY_free), cert_(X509_new(), X509_free) {
        X509_set_version(cert_.get(), 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert_.get()), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert_.get()), -3600);
        X509_gmtime_adj(X509_getm_notAfter(cert_.get()), 3600);
        X509_NAME* name = X509_get_subject_name(cert_.get());
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
        X509_set_issuer_name(cert_.get(), name);
        X509_set_pubkey(cert_.get(), key_.get());
        X509V3_CTX context;
        X509V3_set_ctx(&context, cert_.get(), cert_.get(), nullptr, nullptr, 0);
        X509_EXTENSION* san =
            X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, "IP:127.0.0.1");
        X509_add_ext(cert_.get(), san, -1);
        X509_EXTENSION_free(san);
        X509_sign(cert_.get(), key_.get(), EVP_sha256());

        const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(pemFile.c_str(), "w"),
                                                         std::fclose);
        PEM_write_X509(file.get(), cert_.get());
    }
    X509* cert() const { return cert_.get(); }
    EVP_PKEY* key() const { return key_.get(); }

  private:
    std::unique_ptr<EVP_PKEY, void (*)(EVP_PKEY*)> key_;
    std::unique_ptr<X509, void (*)(X509*)> cert_;
};

TEST(DownloadToFile, FetchesOverHttpsOnlyFromAServerItsCertificatesTrust) {
    const support::TempDir certs;
    const LocalCertificate certificate(certs.path() / "local.pem");
    httplib::SSLServer server(certificate.cert(), certificate.key());
    server.Get("/file", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("secure", "application/octet-stream");
    });
    const support::ServerThread serving(server);
    const std::string url = "https://127.0.0.1:" + std::to_string(serving.port()) + "/file";

    const struct {
        const char* trust;
        std::string caFile;
        bool ok;
    } cases[] = {
        {"the local certificate", (certs.path() / "local.pem").string(), true},
        {"the system's store", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trust);
        const support::TempDir dir;
        dir.Write("file", "old");
        platform::DownloadLimits limits;
        limits.caFile = c.caFile;
        const platform::Result result = platform::DownloadToFile(url, dir.dir() + "file", limits);
        EXPECT_EQ(result.ok(), c.ok) << result.error();
        EXPECT_EQ(dir.Read("file"), c.ok ? "secure" : "old");
        EXPECT_EQ(Files(dir), std::set<std::string>{"file"});
    }
}

TEST(DownloadToFile, RefusesARedirectFromHttpsToPlainHttp) {
    const support::TempDir certs;
    const LocalCertificate certificate(certs.path() / "local.pem");
    const RawHttpServer plain(
        [](const std::string&) { return RawHttpServer::Answer("200 OK", "anyone's copy"); });
    httplib::SSLServer server(certificate.cert(), certificate.key());
    server.Get("/file", [&plain](const httplib::Request&, httplib::Response& response) {
        response.set_redirect(plain.url("/file"));
    });
    server.Get("/secure", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("secure", "application/octet-stream");
    });
    server.Get("/moved", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/secure");
    });
    const support::ServerThread serving(server);
    const std::string base = "https://127.0.0.1:" + std::to_string(serving.port());
    platform::DownloadLimits limits;
    limits.caFile = (certs.path() / "local.pem").string();

    const support::TempDir dir;
    dir.Write("Qorvane", "old program");
    const platform::Result refused =
        platform::DownloadToFile(base + "/file", dir.dir() + "Qorvane", limits);
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.error().find("redirected it away from https"), std::string::npos)
        << refused.error();
    EXPECT_TRUE(plain.requests().empty());
    EXPECT_EQ(dir.Read("Qorvane"), "old program");
    EXPECT_EQ(Files(dir), std::set<std::string>{"Qorvane"});

    // A redirect that stays on https is followed.
    const platform::Result followed =
        platform::DownloadToFile(base + "/moved", dir.dir() + "Qorvane", limits);
    EXPECT_TRUE(followed) << followed.error();
    EXPECT_EQ(dir.Read("Qorvane"), "secure");
}

}  // namespace
