// A sysfs tree in a temporary folder, laid out as the kernel lays it out: devices under
// devices/, class/block and dev/block linking to them. For the tests of the device facts.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/unit/TestSupport.h"

namespace quorrel::test {

// A sysfs tree in a temporary folder.
class CSysTree {
public:
    explicit CSysTree(const std::string& root) : m_strRoot(root) {
        MakeFolder(m_strRoot);
        for (const char* folder : {"/devices", "/class", "/class/block", "/dev", "/dev/block"}) {
            MakeFolder(m_strRoot + folder);
        }
    }
    const std::string& Root() const { return m_strRoot; }

    // Writes `files` (relative path -> content) under devices/`placed`, making folders on the
    // way; a content starting with "->" makes a link to what follows instead.
    void Put(const std::string& placed, const std::map<std::string, std::string>& files) {
        MakeAll("devices/" + placed);
        for (const auto& [name, content] : files) {
            const std::string relative = "devices/" + placed + "/" + name;
            const std::string path = m_strRoot + "/" + relative;
            MakeAll(relative.substr(0, relative.rfind('/')));
            if (content.rfind("->", 0) == 0) {
                EXPECT_EQ(0, ::symlink(content.substr(2).c_str(), path.c_str()));
            } else {
                WriteFile(path, content + "\n");
            }
        }
    }
    // A block device at devices/`placed` (its last part the name), with its class and number
    // links, its uevent and `files`.
    void Block(const std::string& placed, const std::string& numbers,
               std::map<std::string, std::string> files) {
        const std::string name = placed.substr(placed.rfind('/') + 1);
        files["uevent"] = "MAJOR=0\nMINOR=0\nDEVNAME=" + name;
        Put(placed, files);
        const std::string target = "../../devices/" + placed;
        EXPECT_EQ(0, ::symlink(target.c_str(), (m_strRoot + "/class/block/" + name).c_str()));
        EXPECT_EQ(0, ::symlink(target.c_str(), (m_strRoot + "/dev/block/" + numbers).c_str()));
    }

private:
    void MakeAll(const std::string& relative) {
        std::string path = m_strRoot;
        std::size_t nStart = 0;
        while (nStart <= relative.size()) {
            const std::size_t nEnd = relative.find('/', nStart);
            path += "/" + relative.substr(nStart, nEnd - nStart);
            if (!Exists(path)) {
                MakeFolder(path);
            }
            if (nEnd == std::string::npos) {
                break;
            }
            nStart = nEnd + 1;
        }
    }
    std::string m_strRoot;
};

}  // namespace quorrel::test
