// The framework's online helpers: the escaped score request, the browser and
// the platform's idea of the player's name.
#include "Online.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "ZARNCore.h"
#include "sys/ZARNSys.h"

std::string EscapeURLData(const std::string& data) {
    std::string out;
    out.reserve(data.size() * 2);
    for (char ch : data) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == 0 || c >= 128) continue;
        char code = 0;
        switch (c) {
        case '&': code = 'A'; break;
        case '\\': code = 'B'; break;
        case '\'': code = 'C'; break;
        case '`': code = 'D'; break;
        case '"': code = 'E'; break;
        case '/': code = 'F'; break;
        case '>': code = 'G'; break;
        case '#': code = 'H'; break;
        case '^': code = 'I'; break;
        case '{': code = 'J'; break;
        case '}': code = 'K'; break;
        case '<': code = 'L'; break;
        case '|': code = 'M'; break;
        case '%': code = 'P'; break;
        case '?': code = 'Q'; break;
        case '+': code = 'R'; break;
        case '$': code = 'S'; break;
        case ',': code = 'T'; break;
        case ' ': code = 'U'; break;
        default: break;
        }
        if (code) {
            out += "*!";
            out += code;
            out += "!*";
        } else {
            out += ch;
        }
    }
    return out;
}

namespace {
// The request path with the escaped data appended.
std::string RequestPath(const char* path, const char* data) {
    return std::string(path ? path : "") + EscapeURLData(data ? data : "");
}
}  // namespace

// Blocks until the exchange is over; the game itself uses RequestURL.
std::string ZARNCore::GetURL(const char* host, const char* path, const char* data) {
    ASys.URLData(host, RequestPath(path, data).c_str());
    return ASys.WebData;
}

void ZARNCore::RequestURL(const char* host, const char* path, const char* data) {
    ASys.URLDataAsync(host, RequestPath(path, data).c_str());
}

int ZARNCore::URLReply(std::string& reply) {
    if (!ASys.URLDataDone()) return 0;
    reply = ASys.WebData;
    return 1;
}

int ZARNCore::URLPending() { return ASys.URLDataBusy(); }

void ZARNCore::UploadURL(const char* host, const char* path, const std::string& bytes, int tag) {
    ASys.URLUploadAsync(host, path, bytes, tag);
}

int ZARNCore::UploadReply(int& tag, int& status, std::string& bytes) { return ASys.URLUploadDone(tag, status, bytes); }

// xdg-open gets the URL as its one argument; no shell ever sees it.
int ZARNCore::OpenBrowser(const char* url) {
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(url ? url : ""), nullptr};
        execvp("xdg-open", argv);
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ZARNCore::MyName() { return "Enter Your Name"; }
