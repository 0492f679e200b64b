#include "StaticFiles.h"

#include <dirent.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>

namespace {

const std::string Prefix = "/play/";

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string ContentTypeOf(const std::string& name) {
    static const struct {
        const char* ext;
        const char* type;
    } types[] = {
        {".html", "text/html; charset=utf-8"}, {".js", "text/javascript"}, {".wasm", "application/wasm"},
        {".css", "text/css"}, {".png", "image/png"}, {".json", "application/json"},
    };
    for (const auto& t : types)
        if (EndsWith(name, t.ext)) return t.type;
    return "application/octet-stream";
}

bool StaticFiles::Load(const std::string& dir, std::string& reason) {
    DIR* d = opendir(dir.c_str());
    if (!d) {
        reason = "cannot read the folder " + dir;
        return false;
    }
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        std::string path = dir + "/" + name;
        struct stat st;
        if (name[0] == '.' || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        std::ifstream in(path, std::ios::binary);
        files_[name] = {ContentTypeOf(name), std::string(std::istreambuf_iterator<char>(in), {})};
    }
    closedir(d);
    if (!files_.count("index.html")) {
        reason = dir + " holds no index.html (build it with scripts/web.sh)";
        return false;
    }
    return true;
}

bool StaticFiles::Claims(const std::string& target) {
    return target == "/play" || target.compare(0, Prefix.size(), Prefix) == 0;
}

HttpResponse StaticFiles::Serve(const std::string& target) const {
    HttpResponse r;
    std::string path = target.substr(0, target.find('?'));
    if (path == "/play") {
        r.Status = 301;
        r.Headers = "Location: /play/\r\n";
        return r;
    }
    std::string name = path.size() > Prefix.size() ? path.substr(Prefix.size()) : "index.html";
    auto it = files_.find(name);
    if (!Claims(path) || it == files_.end()) {
        r.Status = 404;
        r.Body = "Not Found\n";
        return r;
    }
    r.Type = it->second.Type;
    r.Body = it->second.Body;
    // A new build is picked up at the next load; an unchanged file still
    // costs a request, which is small beside the game itself.
    r.Headers = "Cache-Control: no-cache\r\n";
    return r;
}
