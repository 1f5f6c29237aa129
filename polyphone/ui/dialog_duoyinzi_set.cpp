#include "polyphone/ui/dialog_duoyinzi_set.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <new>

#include "polyphone/poly_rows.h"
#include "polyphone/ui/gbk_limit_validator.h"
#include "uikit/qt_text.h"
#include "uikit/template_layout.h"

namespace qdm::ui {
namespace {

// A row as the list shows it: a CR kept from a CR LF file is made visible.
QString RowText(const std::string& row) {
    QString text = QFromGbk(row);
    text.replace(QLatin1Char('\r'), QChar(0x21B5));
    return text;
}

}  // namespace

CDialogDuoyinziSet::CDialogDuoyinziSet(const CPolyDict& dict, PolyMessageBox box, QWidget* parent)
    : QDialog(parent), m_dict(dict), m_box(OrRealBox(std::move(box))) {
    BuildControls();
    OnInitDialog();
}

void CDialogDuoyinziSet::BuildControls() {
    setWindowTitle(QLit("多音字设置对话框"));
    setFont(TemplateFont(
        {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Noto Sans CJK SC")}, 12));
    const TemplateLayout du(this);

    m_editWord = new QLineEdit(this);
    m_editWord->setObjectName(QStringLiteral("word"));
    m_editWord->setValidator(new GbkLimitValidator(kPolyMaxWordBytes, m_editWord));
    du.Place(m_editWord, 17, 162, 66, 12);
    m_editReplacement = new QLineEdit(this);
    m_editReplacement->setObjectName(QStringLiteral("replacement"));
    m_editReplacement->setValidator(
        new GbkLimitValidator(kPolyMaxReplacementBytes, m_editReplacement));
    du.Place(m_editReplacement, 108, 162, 78, 12);
    m_add = new QPushButton(QLit("添加"), this);
    m_add->setObjectName(QStringLiteral("add"));
    m_add->setDefault(true);
    du.Place(m_add, 17, 179, 65, 18);
    auto* remove = new QPushButton(QLit("删除 "), this);
    remove->setObjectName(QStringLiteral("delete"));
    du.Place(remove, 108, 179, 79, 18);
    auto* exit = new QPushButton(QLit("退出"), this);
    exit->setObjectName(QStringLiteral("exit"));
    du.Place(exit, 136, 202, 50, 14);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("rows"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSortingEnabled(false);
    du.Place(m_list, 15, 14, 177, 132);
    du.Place(new QLabel(QLit("要替换的词组"), this), 108, 152, 57, 8);
    du.Place(new QLabel(QLit("词组1"), this), 17, 150, 57, 10);

    connect(m_add, &QPushButton::clicked, this, &CDialogDuoyinziSet::OnAdd);
    connect(remove, &QPushButton::clicked, this, &CDialogDuoyinziSet::OnDelete);
    connect(exit, &QPushButton::clicked, this, &CDialogDuoyinziSet::OnExit);
    du.Fit(211, 230);
}

void CDialogDuoyinziSet::OnInitDialog() {
    std::vector<std::string> lines;
    const bool loaded = m_dict.LoadLines(lines);
    for (std::string& line : lines) AppendRow(std::move(line));
    m_editWord->setFocus();
    if (!loaded) {
        m_box(this, QLit("加载kolb_polyphone.ini错误"), QLit("打开多音字配置文件错误"));
        return;
    }
    QStringList notes;
    for (const std::string& note : PolyDictNotes(m_dict.GetPath()))
        notes << QString::fromStdString(note);
    if (!notes.isEmpty()) Warn(notes.join(QLatin1Char('\n')));
}

void CDialogDuoyinziSet::AppendRow(std::string row) {
    m_list->addItem(RowText(row));
    m_rows.push_back(std::move(row));
}

int CDialogDuoyinziSet::SelectedRow() const {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

void CDialogDuoyinziSet::SelectRow(int row) {
    if (row < 0) {
        m_list->clearSelection();
        m_list->setCurrentRow(-1);
        return;
    }
    m_list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    m_list->scrollToItem(m_list->item(row));
}

void CDialogDuoyinziSet::Warn(const QString& text) {
    m_box(this, text, QFromGbk(PolyWarningCaption()));
}

void CDialogDuoyinziSet::OnAdd() {
    m_strWord = GbkFromQ(m_editWord->text());
    m_strReplacement = GbkFromQ(m_editReplacement->text());
    const PolyRowCheck check = CheckNewPolyRow(m_rows, m_strWord, m_strReplacement);
    if (check == PolyRowCheck::EmptyWord || check == PolyRowCheck::EmptyReplacement)
        return Warn(QFromGbk(PolyRowMessage(check)));
    // The list and the rows behind it must agree before a row is compared and added.
    if (m_list->count() != static_cast<int>(m_rows.size())) return Warn(QLit("列表框无法得到项"));
    if (check != PolyRowCheck::Ok) return Warn(QFromGbk(PolyRowMessage(check)));
    try {
        std::string row = BuildPolyRow(m_strWord, m_strReplacement);
        m_edits.Add(row);
        AppendRow(std::move(row));
    } catch (const std::bad_alloc&) {
        return Warn(QLit("添加错误"));
    }
    SelectRow(m_list->count() - 1);
    m_strWord.clear();
    m_strReplacement.clear();
    m_editWord->setFocus();
    m_editWord->clear();
    m_editReplacement->clear();
}

void CDialogDuoyinziSet::OnDelete() {
    m_strWord = GbkFromQ(m_editWord->text());
    m_strReplacement = GbkFromQ(m_editReplacement->text());
    const int row = SelectedRow();
    if (row < 0) return Warn(QLit("请选择要删除的项目"));
    delete m_list->takeItem(row);
    m_edits.Remove(static_cast<size_t>(row), m_rows[static_cast<size_t>(row)]);
    m_rows.erase(m_rows.begin() + row);
    SelectRow(PolySelectionAfterDelete(row, m_list->count()));
}

bool CDialogDuoyinziSet::Save() {
    if (m_edits.Empty()) return true;
    const IoStatus io = EditPolyDict(m_dict.GetPath(), true, [this](PolyDictText& text) {
        m_edits.ApplyTo(text);
        return true;
    });
    if (io) {
        m_edits.Clear();
        return true;
    }
    m_box(this,
          QLit("无法保存多音字配置文件，修改仍在列表中:") + QLatin1Char('\n') + QFromPath(io.path) +
              QStringLiteral(": ") + QString::fromStdString(io.reason),
          QFromGbk(PolyWarningCaption()));
    return false;
}

void CDialogDuoyinziSet::OnExit() {
    if (Save()) accept();
}

void CDialogDuoyinziSet::closeEvent(QCloseEvent* event) {
    if (!Save()) return event->ignore();
    QDialog::closeEvent(event);
}

}  // namespace qdm::ui
