#include "EditForm.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <functional>
#include <string>
#include <vector>

namespace {

// "abcd" and "ef", two paragraphs; text styles 0 to 5 and paragraph styles 0 and 1 of the
// default sheet.
struct StyleForm : EditForm {
    StyleForm()
        : EditForm([](TRichNoteEdit& e) {
              e.AddNL("abcd", 0, 0);
              e.AddNL("ef", 0, 0);
          }) {}
    std::vector<int> Styles() {
        std::vector<int> styles;
        for (int i = 0; i < D().ItemCount(); ++i) {
            styles.push_back(D().GetItemStyle(i));
        }
        return styles;
    }
};

} // namespace

TEST(EditControlStyles, ParagraphAndTextStylesAreUndoSteps) {
    struct Case {
        const char* name;
        std::function<void(StyleForm&)> apply;
        TRNUndoType undoType;
        std::vector<int> styles;
        std::vector<int> paras;
        std::function<void(StyleForm&)> prepare = [](StyleForm&) {};
    };
    const std::vector<Case> cases{
        {"ParaAtTheCaret",
         [](StyleForm& f) {
             f.Caret(1, 2);
             f.Edit->ApplyParaStyle(1);
         },
         TRNUndoType::rnutPara,
         {0, 0},
         {0, 1}},
        {"TextStyleOfTheSelection",
         [](StyleForm& f) {
             f.D().SetSelectionBounds(0, 2, 0, 4);
             f.Edit->ApplyTextStyle(3);
         },
         TRNUndoType::rnutStyleNo,
         {0, 3, 0, 0},
         {0, 0, 0, 0}},
        {"ProtectedTextKeepsItsStyle",
         [](StyleForm& f) {
             f.D().SetSelectionBounds(0, 1, 2, 3);
             f.Edit->ApplyTextStyle(1);
         },
         TRNUndoType::rnutStyleNo,
         {2, 1, 1},
         {0, 0, 0},
         [](StyleForm& f) {
             f.Sheet.TextStyles()[2].Protection.Include(TRNProtectOption::rnprStyleProtect);
             f.D().SetSelectionBounds(0, 1, 0, 3);
             f.Edit->ApplyTextStyle(2);
         }},
        {"ConversionByTheHandler",
         [](StyleForm& f) {
             f.Edit->OnStyleConversion = [](TRichNoteEdit&, int& styleNo, int userData,
                                            bool appliedToText) {
                 if (appliedToText) {
                     styleNo += userData;
                 }
             };
             f.D().SetSelectionBounds(0, 1, 1, 2);
             f.Edit->ApplyStyleConversion(4);
         },
         TRNUndoType::rnutStyleNo,
         {4, 4, 0},
         {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StyleForm f;
        c.prepare(f);
        UndoRedo(f, [&] { c.apply(f); });
        EXPECT_EQ(f.Edit->UndoAction(), c.undoType);
        EXPECT_EQ(f.Styles(), c.styles);
        std::vector<int> paras;
        for (int i = 0; i < f.D().ItemCount(); ++i) {
            paras.push_back(f.D().GetItemPara(i));
        }
        EXPECT_EQ(paras, c.paras);
    }
}

TEST(EditControlStyles, WithoutSelectionOrHandlerNothingIsRecorded) {
    StyleForm f;
    const std::string before = f.Rnf();
    const int changes = f.Changes;
    f.Edit->ApplyTextStyle(3);
    EXPECT_EQ(f.Edit->GetCurTextStyleNo(), 3);
    f.D().SetSelectionBounds(0, 1, 0, 3);
    f.Edit->ApplyStyleConversion(1);
    f.Edit->ReadOnly = true;
    f.Edit->ApplyTextStyle(2);
    f.Edit->ApplyParaStyle(1);
    EXPECT_EQ(f.Rnf(), before);
    EXPECT_EQ(f.UndoCount(), 0);
    EXPECT_EQ(f.Changes, changes);
}

TEST(EditControlStyles, SearchSelectsTheNextMatch) {
    StyleForm f;
    f.Caret(0, 1);
    EXPECT_TRUE(f.Edit->SearchText("EF", TRNESearchOptions{TRNESearchOption::rnseoDown}));
    int startItem = 0;
    int startOffs = 0;
    int endItem = 0;
    int endOffs = 0;
    f.Edit->GetSelectionBounds(startItem, startOffs, endItem, endOffs, true);
    EXPECT_EQ(std::vector<int>({startItem, startOffs, endItem, endOffs}),
              std::vector<int>({1, 1, 1, 3}));
    EXPECT_FALSE(f.Edit->SearchText(
        "EF", TRNESearchOptions{TRNESearchOption::rnseoDown, TRNESearchOption::rnseoMatchCase}));
    EXPECT_TRUE(f.Edit->SearchTextW(u"bc", TRNESearchOptions{}));
}

TEST(EditControlStyles, TheInputLanguageSwitchesAnEightBitStyle) {
    struct Locale {
        QLocale locale;
        TFontCharset charset;
    };
    for (const Locale& l :
         {Locale{QLocale("ru_RU"), RUSSIAN_CHARSET},
          Locale{QLocale("sr_Latn_RS"), EASTEUROPE_CHARSET},
          Locale{QLocale("zh_TW"), CHINESEBIG5_CHARSET}, Locale{QLocale("zh_CN"), GB2312_CHARSET},
          Locale{QLocale("de_DE"), ANSI_CHARSET}}) {
        EXPECT_EQ(TRichNoteEdit::CharsetOfLocale(l.locale), l.charset)
            << l.locale.name().toStdString();
    }
    StyleForm f;
    const int styles = f.Sheet.TextStyles().Count();
    f.Edit->WMInputLangChange(GREEK_CHARSET);
    EXPECT_EQ(f.Edit->GetCurTextStyleNo(), 0);
    f.Edit->EditorOptions.Include(TRNEditorOption::rnoAutoSwitchLang);
    f.Edit->WMInputLangChange(GREEK_CHARSET);
    const int greek = f.Edit->GetCurTextStyleNo();
    EXPECT_EQ(greek, styles);
    EXPECT_EQ(f.Sheet.TextStyles()[greek].Charset, GREEK_CHARSET);
    f.Edit->WMInputLangChange(DEFAULT_CHARSET);
    EXPECT_EQ(f.Edit->GetCurTextStyleNo(), 0);
    f.Edit->WMInputLangChange(GREEK_CHARSET);
    EXPECT_EQ(f.Edit->GetCurTextStyleNo(), greek);
    EXPECT_EQ(f.Sheet.TextStyles().Count(), styles + 1);
    f.Sheet.TextStyles()[greek].Unicode = true;
    f.Edit->WMInputLangChange(RUSSIAN_CHARSET);
    EXPECT_EQ(f.Edit->GetCurTextStyleNo(), greek);
}

TEST(EditControlStyles, JoiningParagraphsTakesTheCaretsParagraphStyleInTheSameStep) {
    for (const bool backspace : {true, false}) {
        SCOPED_TRACE(backspace ? "Backspace" : "Delete");
        EditForm f([](TRichNoteEdit& e) {
            e.AddNL("ab", 0, 0);
            e.AddNL("cd", 3, 1);
        });
        if (backspace) {
            f.Caret(1, 1);
        } else {
            f.Caret(0, 3);
        }
        f.D().ChangeCaret(false, false, false, false);
        const int paraNo = f.Edit->GetCurParaStyleNo();
        EXPECT_EQ(paraNo, backspace ? 1 : 0);
        UndoRedo(f, [&] { f.Key(backspace ? Qt::Key_Backspace : Qt::Key_Delete); });
        EXPECT_EQ(f.UndoCount(), 1);
        EXPECT_EQ(f.D().GetItemPara(0), paraNo);
        EXPECT_EQ(f.D().GetItemPara(1), paraNo);
        EXPECT_TRUE(f.D().GetItem(1).GetSameAsPrev());
    }
}
