#include "support/ScoreServerProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/time.h>
#ifdef GOBBIT_WITH_POSTGRES
#include <libpq-fe.h>
#endif
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "Online.h"
#include "Scrambler.h"
#include "persist/OnlineScores.h"
#include "shell/LaunchValues.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Exec(const std::string& url, const std::string& sql, std::string& why) {
#ifndef GOBBIT_WITH_POSTGRES
    (void)url;
    (void)sql;
    why = "the server was built without libpq";
    return false;
#else
    PGconn* c = PQconnectdb(url.c_str());
    bool ok = PQstatus(c) == CONNECTION_OK;
    if (ok) {
        PGresult* r = PQexec(c, sql.c_str());
        ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
    }
    if (!ok) why = PQerrorMessage(c);
    PQfinish(c);
    return ok;
#endif
}

}  // namespace

void HandToServerUser(const std::string& folder) {
    if (geteuid() != 0) return;
    passwd* pw = getpwnam("nobody");
    if (!pw) return;
    // The folder and what a test wrote in it already (a database it filled).
    std::vector<std::string> paths = {folder};
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) paths.push_back(entry.path().string());
    for (const std::string& path : paths)
        if (chown(path.c_str(), pw->pw_uid, pw->pw_gid) != 0) std::perror(path.c_str());
}

int ConnectFrom(const std::string& from, int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in me = {};
    me.sin_family = AF_INET;
    inet_pton(AF_INET, from.c_str(), &me.sin_addr);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(uint16_t(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&me), sizeof me) != 0 ||
        connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int HttpFrom(const std::string& from, int port, const std::string& method, const std::string& target,
             const std::string& body, std::string* reply) {
    int fd = ConnectFrom(from, port);
    if (fd < 0) return 0;
    timeval tv = {20, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (method == "POST") request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    request += "\r\n" + body;
    for (std::size_t sent = 0; sent < request.size();) {
        ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += std::size_t(n);
    }
    std::string all;
    char buf[8192];
    ssize_t n;
    while ((n = recv(fd, buf, sizeof buf, 0)) > 0) all.append(buf, std::size_t(n));
    close(fd);
    if (all.compare(0, 9, "HTTP/1.1 ") != 0) return 0;
    std::size_t split = all.find("\r\n\r\n");
    if (reply) *reply = split == std::string::npos ? "" : all.substr(split + 4);
    return std::atoi(all.c_str() + 9);
}

ScoreServerProcess::ScoreServerProcess(const std::string& database, const std::string& logFile, int port,
                                       const std::vector<std::string>& options) {
    if (database.rfind("postgres", 0) != 0) {
        std::size_t slash = database.rfind('/');
        HandToServerUser(slash == std::string::npos ? "." : database.substr(0, slash));
    }
    std::fflush(stdout);
    pid_ = fork();
    if (pid_ == 0) {
        int log = open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        dup2(log, 1);
        dup2(log, 2);
        std::string binary = std::string(GOBBIT_BUILD_DIR) + "/server/gobbit_score_server";
        std::vector<std::string> args = {binary};
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), {database, std::to_string(port), "127.0.0.1"});
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    // Ready once it says where it listens (bounded: 20 s).
    for (int n = 0; n < 400 && pid_ > 0; n++) {
        std::string text = ReadAll(logFile);
        std::size_t at = text.find("Listening on 127.0.0.1:");
        if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
            port_ = std::atoi(text.c_str() + at + 23);
            return;
        }
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        usleep(50000);
    }
}

ScoreServerProcess::~ScoreServerProcess() { Kill(SIGTERM); }

void ScoreServerProcess::Kill(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

const char* EngineName(ScoreDatabase::Engine e) { return e == ScoreDatabase::Engine::Sqlite ? "SQLite" : "PostgreSQL"; }

ScoreDatabase::ScoreDatabase(Engine engine, const std::string& folder) {
    if (engine == Engine::Sqlite) {
        name_ = folder + "/scores.db";
        return;
    }
    const char* url = std::getenv("GOBBIT_TEST_POSTGRES");
    if (!url || !*url) {
        missing_ = "no PostgreSQL cluster: GOBBIT_TEST_POSTGRES is not set (scripts/test.sh starts one)";
        return;
    }
    admin_ = url;
    std::random_device rd;
    dbName_ = "gobbit_test_" + std::to_string(getpid()) + "_" + std::to_string(rd() % 1000000);
    std::string why;
    if (!Exec(admin_, "CREATE DATABASE " + dbName_, why)) {
        missing_ = "cannot create a test database: " + why;
        dbName_.clear();
        return;
    }
    // The cluster's URL ends in its maintenance database: swap it for ours.
    std::size_t slash = admin_.rfind('/');
    name_ = admin_.substr(0, slash + 1) + dbName_;
}

ScoreDatabase::~ScoreDatabase() {
    std::string why;
    if (!dbName_.empty()) Exec(admin_, "DROP DATABASE IF EXISTS " + dbName_ + " WITH (FORCE)", why);
}

int RunProgram(const std::vector<std::string>& args, std::string& output) {
    int out[2];
    if (pipe(out) != 0) return -1;
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(out[1], 2);
        close(out[0]);
        std::vector<std::string> copy = args;
        std::vector<char*> argv;
        for (std::string& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    output.clear();
    char buf[4096];
    ssize_t n;
    while ((n = read(out[0], buf, sizeof buf)) > 0) output.append(buf, std::size_t(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string MakeServerFolder() {
    std::string folder = ::testing::TempDir() + "gobbit-server-XXXXXX";
    return mkdtemp(&folder[0]) ? folder : "";
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void OnScoreEngine::SetUp() {
    dir_ = MakeServerFolder();
    ASSERT_FALSE(dir_.empty());
    db_ = std::make_unique<ScoreDatabase>(GetParam(), dir_);
    if (!db_->Missing().empty()) GTEST_SKIP() << "PostgreSQL tests skipped: " << db_->Missing();
}

void OnScoreEngine::TearDown() {
    db_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string ScoreClaimTarget(const std::string& user, const std::string& name12, int easyBest) {
    int scores[80] = {};
    scores[20] = easyBest;
    scores[25] = easyBest;
    char table[ScrambleTableSize] = {};
    DeriveScrambleTable(GobbitScoreKeyword, GobbitNumber, table);
    std::string message = ScoreMessageText(user, name12, 564, 1, 0, scores, 3);
    return "/Scores.php?Game=0564&Score=" + EscapeURLData(ScrambleWithTable(message, table));
}
