// The settings dialog with many rows: search, order, editing in place, the starter import and
// the lint line.
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QTest>

#include "polyphone/poly_merge.h"
#include "polyphone/ui/dialog_duoyinzi_set.h"
#include "polyphone_test_util.h"

namespace {

using namespace polytest;
using Rows = std::vector<std::string>;

class PolySettingsScale : public ScratchDir {
  protected:
    std::unique_ptr<qdm::ui::CDialogDuoyinziSet> Open(const std::string& bytes) {
        Write(Path("kolb_polyphone.ini"), bytes);
        m_dict = std::make_unique<qdm::CPolyDict>(Path("kolb_polyphone.ini"));
        auto box = [this](QWidget*, const QString& text, const QString& caption) {
            m_boxes.push_back(caption + QStringLiteral(": ") + text);
        };
        auto choose = [this](QWidget*) { return m_style; };
        auto d = std::make_unique<qdm::ui::CDialogDuoyinziSet>(*m_dict, box, nullptr, choose);
        d->SetQuestion([this](QWidget*, const QString& text, const QString& caption, const QString&,
                              const QString&) {
            m_boxes.push_back(caption + QStringLiteral("? ") + text);
            return false;
        });
        d->show();
        return d;
    }
    static QString Label(QWidget& d, const char* name) { return Child<QLabel>(d, name)->text(); }
    static void Search(QWidget& d, const char* utf8) {
        Child<QLineEdit>(d, "search")->setText(QString::fromUtf8(utf8));
    }
    std::unique_ptr<qdm::CPolyDict> m_dict;
    std::vector<QString> m_boxes;
    std::optional<qdm::PolyStyle> m_style = qdm::PolyStyle::Homophone;
};

const std::string kThree = gbk::Lit("银行======>>银航\n行长======>>航掌\n长大======>>掌大\n");

TEST_F(PolySettingsScale, SearchNarrowsTheListToWordOrReplacementAndCountsBoth) {
    auto d = Open(kThree);
    EXPECT_EQ(Label(*d, "count"), QStringLiteral("共 3 条，显示 3 条"));
    Search(*d, "航");  // in two replacements
    EXPECT_EQ(Label(*d, "count"), QStringLiteral("共 3 条，显示 2 条"));
    EXPECT_EQ(d->List()->model()->index(1, 0).data().toString(),
              QStringLiteral("行长======>>航掌"));
    Search(*d, "长大");
    EXPECT_EQ(Label(*d, "count"), QStringLiteral("共 3 条，显示 1 条"));
    // Adding a row the search would hide clears the search, so the new row is seen selected.
    Child<QLineEdit>(*d, "word")->setText(QStringLiteral("重新"));
    Child<QLineEdit>(*d, "replacement")->setText(QStringLiteral("虫新"));
    Child<QPushButton>(*d, "add")->click();
    EXPECT_EQ(Field(*d, "search"), QString());
    EXPECT_EQ(Label(*d, "count"), QStringLiteral("共 4 条，显示 4 条"));
    EXPECT_EQ(d->SelectedRow(), 3);
}

TEST_F(PolySettingsScale, UpDownAndDraggingChangeTheOrderThatProcessingFollows) {
    auto d = Open("a======>>1\nb======>>2\nc======>>3\nd======>>4\n");
    Child<QPushButton>(*d, "up")->click();
    EXPECT_EQ(m_boxes.back(), QStringLiteral("警告: 请选择要移动的项目"));
    d->SelectRow(2);
    Child<QPushButton>(*d, "up")->click();
    EXPECT_EQ(d->Rows(), (Rows{"a======>>1", "c======>>3", "b======>>2", "d======>>4"}));
    EXPECT_EQ(d->SelectedRow(), 1);
    Child<QPushButton>(*d, "down")->click();
    Child<QPushButton>(*d, "down")->click();
    Child<QPushButton>(*d, "down")->click();  // already last: stays
    EXPECT_EQ(d->Rows(), (Rows{"a======>>1", "b======>>2", "d======>>4", "c======>>3"}));
    // With a search on, a row moves past the rows shown next to it.
    Search(*d, "3");
    d->SelectRow(3);
    Child<QPushButton>(*d, "up")->click();  // nothing shown above it
    EXPECT_EQ(d->Rows().back(), "c======>>3");

    // Dragging row d onto the upper half of row a puts it first.
    Search(*d, "");
    QListView* list = d->List();
    d->SelectRow(2);
    QMimeData* mime = list->model()->mimeData({list->model()->index(2, 0)});
    const QRect target = list->visualRect(list->model()->index(0, 0));
    QDropEvent drop(QPointF(target.center().x(), target.top() + 1), Qt::MoveAction, mime,
                    Qt::LeftButton, Qt::NoModifier);
    QDragEnterEvent enter(target.center(), Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QApplication::sendEvent(list->viewport(), &drop);
    delete mime;
    EXPECT_EQ(d->Rows(), (Rows{"d======>>4", "a======>>1", "b======>>2", "c======>>3"}));
    EXPECT_EQ(d->SelectedRow(), 0);
    Child<QPushButton>(*d, "exit")->click();
    EXPECT_EQ(Read(Path("kolb_polyphone.ini")), "d======>>4\na======>>1\nb======>>2\nc======>>3\n");
}

TEST_F(PolySettingsScale, DoubleClickPutsARowIntoTheFieldsAndEditReplacesItWithTheAddChecks) {
    auto d = Open(kThree);
    Child<QPushButton>(*d, "edit")->click();
    EXPECT_EQ(m_boxes.back(), QStringLiteral("警告: 请选择要修改的项目"));
    QListView* list = d->List();
    const QRect row1 = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row1.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row1.center());
    EXPECT_EQ(Field(*d, "word"), QStringLiteral("行长"));
    EXPECT_EQ(Field(*d, "replacement"), QStringLiteral("航掌"));
    Child<QLineEdit>(*d, "word")->setText(QStringLiteral("银行"));
    Child<QLineEdit>(*d, "replacement")->setText(QStringLiteral("银航"));
    Child<QPushButton>(*d, "edit")->click();  // would equal row 0
    EXPECT_EQ(m_boxes.back(), QStringLiteral("警告: 项目已存在"));
    Child<QLineEdit>(*d, "replacement")->clear();
    Child<QPushButton>(*d, "edit")->click();
    EXPECT_EQ(m_boxes.back(), QStringLiteral("警告: 请输入要设置的拼音"));
    Child<QLineEdit>(*d, "word")->setText(QStringLiteral("行长"));
    Child<QLineEdit>(*d, "replacement")->setText(QStringLiteral("hang2zhang3"));
    Child<QPushButton>(*d, "edit")->click();
    EXPECT_EQ(d->Rows()[1], gbk::Lit("行长======>>hang2zhang3"));
    EXPECT_EQ(d->Rows().size(), 3u);
    EXPECT_EQ(Field(*d, "word"), QString());
}

TEST_F(PolySettingsScale, StarterImportAsksTheStyleAddsNewWordsOnceAndSavesOnlyOnExit) {
    auto d = Open(gbk::Lit("银行======>>yin2hang2\n"));
    m_style = std::nullopt;  // cancelled: nothing happens
    Child<QPushButton>(*d, "importStarter")->click();
    EXPECT_EQ(d->Rows().size(), 1u);
    EXPECT_TRUE(m_boxes.empty());
    m_style = qdm::PolyStyle::Pinyin;
    Child<QPushButton>(*d, "importStarter")->click();
    // Words holding 银行 come after it: asked whether they go first (no: left as they are).
    EXPECT_TRUE(m_boxes.back().startsWith(
        QStringLiteral("导入常用词? 已添加 5999 条，跳过 1 条\n其中 44 条不会生效")))
        << m_boxes.back().toStdString();
    EXPECT_EQ(d->Rows().size(), 6000u);
    EXPECT_EQ(Label(*d, "count"), QStringLiteral("共 6000 条，显示 6000 条"));
    EXPECT_EQ(Read(Path("kolb_polyphone.ini")), gbk::Lit("银行======>>yin2hang2\n"));
    Child<QPushButton>(*d, "importStarter")->click();
    EXPECT_EQ(m_boxes.back(), QStringLiteral("导入常用词: 已添加 0 条，跳过 6000 条"));
    d->close();
    EXPECT_EQ(qdm::CPolyDict(Path("kolb_polyphone.ini")).CountEntries(), 6000);
}

TEST_F(PolySettingsScale, StarterImportSaysWhichWordsTheUsersShorterOnesShadowAndPutsThemFirst) {
    auto d = Open(gbk::Lit("行======>>航\n长======>>常\n"));
    QString asked;
    bool putFirst = false;
    d->SetQuestion([&](QWidget* owner, const QString& text, const QString& caption,
                       const QString& yes, const QString& no) {
        EXPECT_EQ(owner, d.get());
        EXPECT_EQ(caption, QStringLiteral("导入常用词"));
        EXPECT_EQ(yes + u'/' + no, QStringLiteral("移到最前面/保持原样"));
        asked = text;
        return putFirst;
    });
    Child<QPushButton>(*d, "importStarter")->click();
    const std::vector<std::string> kept = d->Rows();
    const std::string mine1 = gbk::Lit("行"), mine2 = gbk::Lit("长");
    const std::vector<std::string> imported(kept.begin() + 2, kept.end());
    const std::vector<size_t> shadowed = qdm::ShadowedPolyRows({mine1, mine2}, imported);
    ASSERT_FALSE(shadowed.empty());
    EXPECT_TRUE(m_boxes.empty());  // the question says it all
    EXPECT_TRUE(asked.startsWith(QStringLiteral("已添加 %1 条，跳过 ").arg(imported.size())))
        << asked.toStdString();
    EXPECT_TRUE(asked.contains(QStringLiteral("其中 %1 条不会生效").arg(shadowed.size())))
        << asked.toStdString();
    EXPECT_EQ(kept[0], gbk::Lit("行======>>航"));  // left as they were
    d.reset();

    auto again = Open(gbk::Lit("行======>>航\n长======>>常\n"));
    again->SetQuestion([&](QWidget*, const QString&, const QString&, const QString&,
                           const QString&) { return true; });
    Child<QPushButton>(*again, "importStarter")->click();
    const std::vector<std::string>& rows = again->Rows();
    ASSERT_EQ(rows.size(), kept.size());
    for (size_t k = 0; k < shadowed.size(); ++k) EXPECT_EQ(rows[k], imported[shadowed[k]]) << k;
    EXPECT_EQ(rows[shadowed.size()], gbk::Lit("行======>>航"));
    again->close();
    // Saved in that order.
    const std::string saved = Read(Path("kolb_polyphone.ini"));
    EXPECT_EQ(saved.substr(0, imported[shadowed[0]].size() + 1), imported[shadowed[0]] + "\n");
    EXPECT_TRUE(qdm::ShadowedPolyRows({}, rows).empty());
}

TEST_F(PolySettingsScale, TheLintLineFollowsTheRowsAsTheyChange) {
    auto d = Open(gbk::Lit("银行======>>银航\n坏行\n长大======>>掌大\n"));
    EXPECT_EQ(Label(*d, "lint"), QStringLiteral("词典检查: 第 2 行格式错误，其后 1 条不会被处理"));
    d->SelectRow(1);
    Child<QPushButton>(*d, "delete")->click();
    EXPECT_EQ(Label(*d, "lint"), QStringLiteral("词典检查: 没有发现问题"));
    Child<QLineEdit>(*d, "word")->setText(QStringLiteral("银行"));
    Child<QLineEdit>(*d, "replacement")->setText(QStringLiteral("yin2hang2"));
    Child<QPushButton>(*d, "add")->click();
    EXPECT_EQ(Label(*d, "lint"), QStringLiteral("词典检查: 第 3 行的词组“银行”与第 1 行重复"));
}

}  // namespace
