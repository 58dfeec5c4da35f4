#include "app/ui/dialogs/SaveCHM.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>

namespace {

class ScriptedForm6 : public TForm6 {
public:
    using TForm6::TForm6;
    std::deque<std::optional<std::string>> Answers;
    std::vector<std::string> Asked;

protected:
    std::optional<std::string> ChooseFile(const TFileDialogOptions& options) override {
        Asked.push_back(options.Title + "|" + options.InitialDir + "|" + options.Filter);
        auto answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
};

} // namespace

TEST(SaveChm, LanguageOptionsAndBrowsing) {
    std::string lastDir = "/start";
    ScriptedForm6 form(nullptr, lastDir);
    EXPECT_EQ(form.Choice().LocaleText, "0x409");

    struct Case {
        std::optional<std::string> answer;
        std::string field;
        std::string folder;
    };
    const std::vector<Case> cases = {
        {std::nullopt, "", "/start"},
        {"/d/help", "/d/help.chm", "/d"},
        {"/e/Help.CHM", "/e/Help.CHM", "/e"},
    };
    for (const Case& c : cases) {
        form.Answers.push_back(c.answer);
        form.Button1->click();
        EXPECT_EQ(form.Edit1->text().toStdString(), c.field);
        EXPECT_EQ(lastDir, c.folder);
    }
    EXPECT_EQ(form.Asked.front(),
              "Select CHM File|/start|Html Help Files(*.chm)|*.chm|All Files(*.*)|*.*|");

    form.ComboBox1->setCurrentText("French");
    form.CheckBox3->setChecked(true);
    const TChmChoice choice = form.Choice();
    EXPECT_EQ(choice.LocaleText, "0x40c");
    EXPECT_TRUE(!choice.FullTextSearch && !choice.LaunchWhenDone && choice.OverwriteExisting);

    QTimer::singleShot(
        0, [] { static_cast<TForm6*>(QApplication::activeModalWidget())->CancelButton->click(); });
    EXPECT_EQ(ShowChmDialog(nullptr, lastDir), std::nullopt);
}
