// Where a run keeps its table files: a program folder of the user's own holds them; any
// other is never written, and each user's tables start empty in their own folder.
#include "TestFiles.h"
#include "app/UserFolders.h"
#include "store/TableStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace tallivo;
using tallivo::test::ReadAll;
using tallivo::test::TempFolder;

namespace {

// Sets an environment variable for the scope, putting back what was there.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST(UserFolders, AProgramFolderOfAnotherUserIsNeverWrittenAndTheUserStartsEmpty)
{
    TempFolder program;
    TempFolder data;
    const std::string dataHome = data.Folder().substr(0, data.Folder().size() - 1); // as a user sets it
    const ScopedEnv xdg("XDG_DATA_HOME", dataHome);
    std::filesystem::create_directories(program.Path("Data"));
    CreateTableFiles(program.Path("Data/"));

    // The user's own program folder holds the tables.
    EXPECT_EQ(TableFolder(program.Folder()), program.Path("Data/"));

    // Another user's (here: handed to nobody while the test runs as the superuser).
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs the superuser to hand the folder to another user";
    ASSERT_EQ(::chown(program.Path("Data").c_str(), 65534, 65534), 0);
    ::chmod(program.Path("Data/ReportTable.DAT").c_str(), 0600); // unreadable to others, as copied by root
    const std::string before = ReadAll(program.Path("Data/addAccBatchError.DAT"));
    const std::string own = TableFolder(program.Folder());
    EXPECT_EQ(own, data.Folder() + "tallivo/Data/");
    for (const std::string_view table : kTableNames) {
        struct stat info {};
        ASSERT_EQ(::stat(TableFilePath(own, table).c_str(), &info), 0) << table;
        EXPECT_EQ(info.st_mode & 07777, 0600u) << table;
        TableStore store(own);
        EXPECT_TRUE(store.TableRows(table).empty()) << table;
    }
    EXPECT_EQ(ReadAll(program.Path("Data/addAccBatchError.DAT")), before);
    // A second run keeps the user's files as they are.
    TableStore(own).ExecSql("Insert into addAccBatchError(ACCOUNT) Values('1234567890')");
    EXPECT_EQ(TableFolder(program.Folder()), own);
    EXPECT_EQ(TableStore(own).TableRows("addAccBatchError").size(), 1u);
}
