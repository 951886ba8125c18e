#pragma once
// Certificates for a test's relay, made by the openssl command: an authority of the test's own
// (which a game trusts only when SSL_CERT_FILE names it) and certificates it signs for given
// names, or that sign themselves.
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "net/relay_broker.h"
#include "test_game.h"

namespace kb::test {

class TestAuthority {
  public:
    TestAuthority() {
        std::filesystem::permissions(dir_.Path(), std::filesystem::perms::others_exec,
                                     std::filesystem::perm_options::add);
        Run("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -subj "
            "'/CN=Kanaburst test authority' -keyout " +
            Path("ca.key") + " -out " + Path("ca.crt") +
            " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign");
    }
    // The authority's certificate, to trust.
    std::string Certificate() const { return Path("ca.crt"); }
    // A certificate for the names (subjectAltName: "DNS:localhost", "IP:127.0.0.1"), signed by
    // this authority, or by itself when selfSigned.
    TlsFiles Issue(const std::string& name, const std::string& altNames, bool selfSigned = false) {
        const std::string key = Path(name + ".key"), cert = Path(name + ".crt");
        dir_.WriteFile(name + ".ext", "subjectAltName=" + altNames + "\n");
        if (selfSigned) {
            Run("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -subj "
                "'/CN=" +
                name + "' -keyout " + key + " -out " + cert +
                " -addext subjectAltName=" + altNames);
        } else {
            Run("req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj '/CN=" + name +
                "' -keyout " + key + " -out " + Path(name + ".csr"));
            Run("x509 -req -days 2 -in " + Path(name + ".csr") + " -CA " + Certificate() +
                " -CAkey " + Path("ca.key") + " -CAcreateserial -extfile " + Path(name + ".ext") +
                " -out " + cert);
        }
        // The broker, started as root, reads them as the user mosquitto: test keys are no secret.
        std::filesystem::permissions(key, std::filesystem::perms::others_read,
                                     std::filesystem::perm_options::add);
        return {cert, key};
    }

  private:
    std::string Path(const std::string& name) const { return (dir_.Path() / name).string(); }
    static void Run(const std::string& args) {
        if (std::system(("openssl " + args + " >/dev/null 2>&1").c_str()) != 0)
            throw std::runtime_error("openssl " + args + " failed");
    }
    TempDir dir_;
};

}  // namespace kb::test
