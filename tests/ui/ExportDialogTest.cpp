#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <linux/capability.h>
#include <sstream>
#include <sys/syscall.h>
#include <unistd.h>

#include "SheetFixture.hpp"
#include "ui/Sheets.hpp"

namespace umbrascope {
namespace {

namespace fs = std::filesystem;
using test::SheetWindow;
using test::waitFor;

std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files.push_back(entry.path());
    return files;
}

// The save dialog once it is up and takes the keys.
QFileDialog* openSaveDialog(QWidget& window) {
    QFileDialog* dialog = nullptr;
    waitFor([&] {
        dialog = window.findChild<QFileDialog*>();
        return dialog && QApplication::activeWindow() == dialog;
    });
    return dialog;
}

// While it lives, the calling thread is held to file permissions even as root.
class NoPermissionOverride {
public:
    NoPermissionOverride() {
        if (syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        for (const unsigned cap :
             {unsigned{CAP_DAC_OVERRIDE}, unsigned{CAP_DAC_READ_SEARCH}, unsigned{CAP_FOWNER}})
            reduced[cap / 32].effective &= ~(1u << (cap % 32));
        active_ = syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~NoPermissionOverride() {
        if (active_) syscall(SYS_capset, &header_, saved_);
    }
    NoPermissionOverride(const NoPermissionOverride&) = delete;
    NoPermissionOverride& operator=(const NoPermissionOverride&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

struct ExportDialogTest : ::testing::Test {
    SheetWindow w;
    QTemporaryDir temporary;
    fs::path folder{temporary.path().toStdString()};

    void SetUp() override {
        ASSERT_TRUE(temporary.isValid());
        w.asker = exportLocationAsker(&w.window);
        w.receive({0x20903C40});
        w.receive({0x20803C00});
        w.receive({0x10F80000});
        w.view->setTTSLevel(TTSLevel::short_);
    }
};

TEST_F(ExportDialogTest, TheSaveDialogIsOursAndAsksForACsvFileOnce) {
    std::vector<std::optional<fs::path>> answers;
    const AskForExportLocation ask = exportLocationAsker(&w.window);
    ask([&](std::optional<fs::path> location) { answers.push_back(location); });
    QFileDialog* dialog = openSaveDialog(w.window);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Export Messages to CSV"));
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    ASSERT_EQ(dialog->nameFilters().size(), 1);
    EXPECT_TRUE(dialog->nameFilters().front().contains(QStringLiteral("(*.csv)")));
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QStringLiteral("Umbrascope-Export.csv"));
    EXPECT_TRUE(answers.empty()) << "returns at once, answers later";

    ask([&](std::optional<fs::path> location) { answers.push_back(location); });
    EXPECT_EQ(w.window.findChildren<QFileDialog*>().size(), 1) << "one save dialog at a time";
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], std::nullopt);

    QPointer<QFileDialog> closing = dialog;
    dialog->reject();
    ASSERT_TRUE(waitFor([&] { return closing.isNull(); }));
    ASSERT_EQ(answers.size(), 2u) << "answered once";
    EXPECT_EQ(answers[1], std::nullopt);
}

TEST_F(ExportDialogTest, CancellingSaysNothingAndWritesNothing) {
    QTest::keyClick(&w.window, 'e');
    ASSERT_EQ(w.spoken(), std::vector<std::string>{"Export CSV"});
    QFileDialog* dialog = openSaveDialog(w.window);
    ASSERT_NE(dialog, nullptr);
    test::press(Qt::Key_Escape);
    ASSERT_TRUE(waitFor([&] { return !dialog->isVisible(); }));
    w.queue.drain();
    EXPECT_EQ(w.background.runAll(), 0u);
    w.queue.drain();
    EXPECT_EQ(w.spoken(), std::vector<std::string>{"Export CSV"});
}

TEST_F(ExportDialogTest, AnExportIntoAReadOnlyFolderFailsAndKeepsTheOldFile) {
    const fs::path target = folder / "Umbrascope-Export.csv";
    std::ofstream(target) << "old\n";
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    w.asker = [&](ExportLocationAnswer answer) { answer(target); }; // as the dialog answers
    QTest::keyClick(&w.window, 'e');
    {
        const NoPermissionOverride asAUser;
        if (std::ofstream(folder / "probe").is_open()) {
            fs::remove(folder / "probe");
            fs::permissions(folder, fs::perms::owner_all);
            GTEST_SKIP() << "this process may write into read-only folders";
        }
        EXPECT_EQ(w.background.runAll(), 1u);
    }
    w.queue.drain();
    EXPECT_EQ(w.spoken(), (std::vector<std::string>{"Export CSV", "Export Failed"}));
    EXPECT_EQ(filesIn(folder), std::vector<fs::path>{target}) << "no file left behind";
    EXPECT_EQ(read(target), "old\n");
    fs::permissions(folder, fs::perms::owner_all);
}

} // namespace
} // namespace umbrascope
