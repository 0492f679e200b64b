#include "Privileges.h"

#include <grp.h>
#include <linux/capability.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ScoreStore.h"

bool DropRoot(const std::string& user, std::string& reason) {
    if (geteuid() != 0 && getuid() != 0) return true;
    errno = 0;
    passwd* pw = getpwnam(user.c_str());
    if (!pw) {
        reason = "no user \"" + user + "\" to run as instead of root";
        return false;
    }
    if (pw->pw_uid == 0) {
        reason = "\"" + user + "\" is root";
        return false;
    }
    uid_t uid = pw->pw_uid;
    gid_t gid = pw->pw_gid;
    if (setgroups(0, nullptr) != 0 || setresgid(gid, gid, gid) != 0 || setresuid(uid, uid, uid) != 0) {
        reason = std::string("cannot become ") + user + ": " + std::strerror(errno);
        return false;
    }
    // For good: there must be no way back.
    if (setuid(0) == 0 || seteuid(0) == 0) {
        reason = "root could be taken back";
        return false;
    }
    return true;
}

void DropCapabilities() {
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct none[2] = {};
    syscall(SYS_capset, &header, none);
}

void HidePasswordInArguments(char* argument) {
    std::string shown = ShownDatabase(argument);
    if (shown == argument) return;
    // The shown text is never longer where it matters: a password of fewer
    // than three characters leaves the rest of the argument as stars.
    std::size_t size = std::strlen(argument);
    for (std::size_t i = 0; i < size; i++) argument[i] = i < shown.size() ? shown[i] : '*';
}
