#include "polyphone/ui/dialog_duoyinzi_set.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <new>

#include "editor/file_io.h"
#include "polyphone/poly_lint.h"
#include "polyphone/poly_list.h"
#include "polyphone/poly_merge.h"
#include "polyphone/poly_rows.h"
#include "polyphone/ui/gbk_limit_validator.h"
#include "polyphone/ui/poly_context_choice.h"
#include "polyphone/ui/poly_rows_model.h"
#include "uikit/qt_text.h"
#include "uikit/template_layout.h"

namespace qdm::ui {
namespace {

// The list takes a dragged row of its own and hands the move to the dialog: the rows live
// there, not in the model.
class RowsView : public QListView {
  public:
    RowsView(QWidget* parent, std::function<void(int fromView, int toView)> move)
        : QListView(parent), m_move(std::move(move)) {
        setDragEnabled(true);
        setAcceptDrops(true);
        setDropIndicatorShown(true);
        setDragDropMode(QAbstractItemView::InternalMove);
        setDefaultDropAction(Qt::MoveAction);
    }

  protected:
    // Only rows of this list move here. (A drag whose source this process does not know
    // carries no row of another list either; the selection says which row is meant.)
    bool Ours(const QDropEvent* event) const { return !event->source() || event->source() == this; }
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (!Ours(event)) return event->ignore();
        event->setDropAction(Qt::MoveAction);
        event->accept();
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        QListView::dragMoveEvent(event);  // the drop indicator
        if (!Ours(event)) return event->ignore();
        event->setDropAction(Qt::MoveAction);
        event->accept();
    }
    void dropEvent(QDropEvent* event) override {
        if (!Ours(event)) return event->ignore();
        const QModelIndexList selected = selectionModel()->selectedRows();
        const QPoint pos = event->position().toPoint();
        QModelIndex target = indexAt(pos);
        int to = model()->rowCount() - 1;
        if (target.isValid()) {
            const QRect r = visualRect(target);
            to = target.row();
            const int from = selected.isEmpty() ? -1 : selected.first().row();
            // Dropped on the lower half of a row below: after it; on the upper half above: before.
            if (from >= 0 && from < to && pos.y() < r.center().y()) --to;
            if (from >= 0 && from > to && pos.y() >= r.center().y()) ++to;
        }
        event->setDropAction(Qt::CopyAction);  // the view must not remove the source row
        event->accept();
        if (!selected.isEmpty()) m_move(selected.first().row(), to);
    }

  private:
    std::function<void(int, int)> m_move;
};

}  // namespace

CDialogDuoyinziSet::CDialogDuoyinziSet(const CPolyDict& dict, PolyMessageBox box, QWidget* parent,
                                       PolyStyleChooser chooseStyle)
    : QDialog(parent),
      m_dict(dict),
      m_box(OrRealBox(std::move(box))),
      m_chooseStyle(chooseStyle ? std::move(chooseStyle) : PolyStyleChooser(&AskStarterStyle)) {
    BuildControls();
    BuildExtras();
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
    m_list = new RowsView(this, [this](int fromView, int toView) {
        MoveRow(m_model->SourceRow(fromView), m_model->SourceRow(toView));
    });
    m_list->setObjectName(QStringLiteral("rows"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);  // 50 000 rows laid out without measuring each
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model = new PolyRowsModel(m_rows, this);
    m_list->setModel(m_model);
    du.Place(m_list, 15, 14, 177, 132);
    du.Place(new QLabel(QLit("要替换的词组"), this), 108, 152, 57, 8);
    du.Place(new QLabel(QLit("词组1"), this), 17, 150, 57, 10);

    connect(m_add, &QPushButton::clicked, this, &CDialogDuoyinziSet::OnAdd);
    connect(remove, &QPushButton::clicked, this, &CDialogDuoyinziSet::OnDelete);
    connect(exit, &QPushButton::clicked, this, &CDialogDuoyinziSet::OnExit);
    connect(m_list, &QListView::doubleClicked, this, &CDialogDuoyinziSet::OnDoubleClick);
}

// The controls for large dictionaries, in a column right of the template and a line below it.
void CDialogDuoyinziSet::BuildExtras() {
    const TemplateLayout du(this);
    du.Place(new QLabel(QLit("搜索"), this), 200, 14, 40, 8);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setClearButtonEnabled(true);
    du.Place(m_search, 200, 24, 96, 12);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("count"));
    du.Place(m_count, 200, 40, 96, 10);
    const auto button = [&](const char* text, const char* name, int x, int y, int cx,
                            void (CDialogDuoyinziSet::*slot)()) {
        auto* b = new QPushButton(QLit(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        du.Place(b, x, y, cx, 16);
        connect(b, &QPushButton::clicked, this, slot);
    };
    button("上移", "up", 200, 60, 46, &CDialogDuoyinziSet::OnMoveUp);
    button("下移", "down", 250, 60, 46, &CDialogDuoyinziSet::OnMoveDown);
    button("修改", "edit", 200, 80, 96, &CDialogDuoyinziSet::OnEdit);
    button("导入常用词…", "importStarter", 200, 100, 96, &CDialogDuoyinziSet::OnImportStarter);
    // A choice about the runs, not about the file: kept at once, whatever ends the dialog.
    auto* contextFix = new QCheckBox(QLit("按上下文修正其余多音字"), this);
    contextFix->setObjectName(QStringLiteral("contextFix"));
    contextFix->setChecked(PolyContextFixChosen());
    du.Place(contextFix, 200, 122, 96, 12);
    connect(contextFix, &QCheckBox::toggled, this, &RememberPolyContextFix);
    m_lint = new QLabel(this);
    m_lint->setObjectName(QStringLiteral("lint"));
    m_lint->setWordWrap(true);
    m_lint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    du.Place(m_lint, 15, 222, 281, 22);
    // An installed program edits the user's copy, not the file beside it: say which one.
    m_file = new QLabel(this);
    m_file->setObjectName(QStringLiteral("file"));
    m_file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    du.Place(m_file, 15, 246, 281, 10);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        const int selected = SelectedRow();
        m_model->SetFilter(text);
        SelectRow(selected);
        ShowCount();  // the rows themselves did not change: the lint line stands
    });
    du.Fit(304, 260);
}

void CDialogDuoyinziSet::ShowFile() {
    QString text = QLit("词典文件: ") + QFromPath(m_dict.GetPath());
    const std::string from = m_dict.ReadPath();
    if (from != m_dict.GetPath())
        text += QLit(" (尚未创建，读的是 %1，第一次保存时复制过来)").arg(QFromPath(from));
    m_file->setText(text);
    m_file->setToolTip(text);
}

void CDialogDuoyinziSet::OnInitDialog() {
    ShowFile();
    std::vector<std::string> lines;
    const bool loaded = m_dict.LoadLines(lines);
    m_rows = std::move(lines);
    m_model->Refresh();
    RowsChanged();
    m_editWord->setFocus();
    if (!loaded) {
        m_box(this, QLit("加载kolb_polyphone.ini错误"), QLit("打开多音字配置文件错误"));
        return;
    }
    QStringList notes;
    for (const std::string& note : PolyDictNotes(m_dict.ReadPath()))
        notes << QString::fromStdString(note);
    if (!notes.isEmpty()) Warn(notes.join(QLatin1Char('\n')));
}

void CDialogDuoyinziSet::ShowCount() {
    m_count->setText(QLit("共 %1 条，显示 %2 条").arg(m_rows.size()).arg(m_model->Shown()));
}

void CDialogDuoyinziSet::RowsChanged() {
    ShowCount();
    std::vector<std::string_view> lines(m_rows.begin(), m_rows.end());
    const std::vector<PolyLintFinding> findings = LintPolyLines(lines);
    if (findings.empty()) {
        m_lint->setText(QLit("词典检查: 没有发现问题"));
        return;
    }
    QString text = QLit("词典检查: ") + QFromGbk(findings.front().message);
    if (findings.size() > 1) text += QLit("(共 %1 处问题)").arg(findings.size());
    m_lint->setText(text);
}

int CDialogDuoyinziSet::SelectedRow() const {
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : m_model->SourceRow(selected.first().row());
}

void CDialogDuoyinziSet::SelectRow(int row) {
    const int view = row < 0 ? -1 : m_model->ViewRow(row);
    if (view < 0) {
        m_list->clearSelection();
        m_list->setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex index = m_model->index(view);
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_list->scrollTo(index);
}

void CDialogDuoyinziSet::Prefill(const std::string& word, const std::string& replacement) {
    m_editWord->setText(QFromGbk(word));
    m_editReplacement->setText(QFromGbk(replacement));
    m_editWord->setFocus();
}

void CDialogDuoyinziSet::Warn(const QString& text) {
    m_box(this, text, QFromGbk(PolyWarningCaption()));
}

void CDialogDuoyinziSet::OnAdd() {
    m_strWord = GbkFromQ(m_editWord->text());
    m_strReplacement = GbkFromQ(m_editReplacement->text());
    const PolyRowCheck check = CheckNewPolyRow(m_rows, m_strWord, m_strReplacement);
    if (check != PolyRowCheck::Ok) return Warn(QFromGbk(PolyRowMessage(check)));
    try {
        m_rows.push_back(BuildPolyRow(m_strWord, m_strReplacement));
        m_edits.Add(m_rows.back());
    } catch (const std::bad_alloc&) {
        return Warn(QLit("添加错误"));
    }
    // The new row is selected: a search that would hide it gives way.
    m_model->Refresh();
    if (m_model->ViewRow(static_cast<int>(m_rows.size()) - 1) < 0) m_search->clear();
    SelectRow(static_cast<int>(m_rows.size()) - 1);
    RowsChanged();
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
    const int view = m_model->ViewRow(row);
    m_edits.Remove(static_cast<size_t>(row), m_rows[static_cast<size_t>(row)]);
    m_rows.erase(m_rows.begin() + row);
    m_model->Refresh();
    SelectRow(m_model->SourceRow(PolySelectionAfterDelete(view, m_model->Shown())));
    RowsChanged();
}

void CDialogDuoyinziSet::OnDoubleClick(const QModelIndex& index) {
    const int row = m_model->SourceRow(index.row());
    if (row < 0) return;
    std::string_view word, replacement;
    if (!SplitPolyRow(m_rows[static_cast<size_t>(row)], word, replacement)) {
        word = m_rows[static_cast<size_t>(row)];
        replacement = {};
    }
    SelectRow(row);
    Prefill(std::string(word), std::string(replacement));
}

void CDialogDuoyinziSet::OnEdit() {
    m_strWord = GbkFromQ(m_editWord->text());
    m_strReplacement = GbkFromQ(m_editReplacement->text());
    const int row = SelectedRow();
    if (row < 0) return Warn(QLit("请选择要修改的项目"));
    const PolyRowCheck check = CheckEditedPolyRow(m_rows, row, m_strWord, m_strReplacement);
    if (check != PolyRowCheck::Ok) return Warn(QFromGbk(PolyRowMessage(check)));
    std::string now = BuildPolyRow(m_strWord, m_strReplacement);
    m_edits.Replace(static_cast<size_t>(row), m_rows[static_cast<size_t>(row)], now);
    m_rows[static_cast<size_t>(row)] = std::move(now);
    m_model->Refresh();
    if (m_model->ViewRow(row) < 0) m_search->clear();
    SelectRow(row);
    RowsChanged();
    m_editWord->clear();
    m_editReplacement->clear();
    m_editWord->setFocus();
}

void CDialogDuoyinziSet::MoveSelected(int step) {
    const int row = SelectedRow();
    if (row < 0) return Warn(QLit("请选择要移动的项目"));
    const int target = m_model->SourceRow(m_model->ViewRow(row) + step);
    if (target >= 0) MoveRow(row, target);
}

void CDialogDuoyinziSet::MoveRow(int from, int to) {
    const int n = static_cast<int>(m_rows.size());
    if (from < 0 || to < 0 || from >= n || to >= n || from == to) return;
    std::string row = std::move(m_rows[static_cast<size_t>(from)]);
    m_edits.Move(static_cast<size_t>(from), static_cast<size_t>(to), row);
    m_rows.erase(m_rows.begin() + from);
    m_rows.insert(m_rows.begin() + to, std::move(row));
    m_model->Refresh();
    SelectRow(to);
    RowsChanged();
}

void CDialogDuoyinziSet::OnImportStarter() {
    const std::optional<PolyStyle> style = m_chooseStyle(this);
    if (!style) return;
    const std::string path = FindResource(StarterFileName(*style));
    FileText starter;
    const IoStatus io = path.empty()
                            ? IoStatus::Fail(std::string(StarterFileName(*style)), "not found")
                            : ReadTextFile(path, starter);
    if (!io)
        return Warn(QLit("无法读取常用词词典:") + QLatin1Char('\n') + QFromPath(io.path) +
                    QStringLiteral(": ") + QString::fromStdString(io.reason));
    std::vector<std::string_view> lines(m_rows.begin(), m_rows.end());
    PolyMergeCount count;
    std::vector<std::string> added = NewPolyRows(PolyWords(lines), starter.text, count);
    const size_t first = m_rows.size();
    for (std::string& row : added) {
        m_edits.Add(row);
        m_rows.push_back(std::move(row));
    }
    m_model->Refresh();
    RowsChanged();
    ReportImport(count, first);
}

void CDialogDuoyinziSet::ReportImport(const PolyMergeCount& count, size_t first) {
    const QString done = QLit("已添加 %1 条，跳过 %2 条").arg(count.added).arg(count.skipped);
    const std::vector<std::string> added(m_rows.begin() + static_cast<ptrdiff_t>(first),
                                         m_rows.end());
    const std::vector<std::string_view> before(m_rows.begin(),
                                               m_rows.begin() + static_cast<ptrdiff_t>(first));
    std::vector<std::string> by;
    const std::vector<size_t> shadowed = ShadowedPolyRows(PolyWords(before), added, &by);
    if (shadowed.empty()) return m_box(this, done, QLit("导入常用词"));

    const std::string_view example = added[shadowed.front()];
    const QString word = QFromGbk(std::string(PolyWords({example}).front()));
    const QString text =
        done + QLatin1Char('\n') +
        QLit(
            "其中 %1 条不会生效：词典中已有的较短词组先被替换（例如“%2”先于“%3”）。\n"
            "是否把这 %1 条导入的词组移到最前面，让它们先被处理？")
            .arg(shadowed.size())
            .arg(QFromGbk(by.front()), word);
    if (!m_ask(this, text, QLit("导入常用词"), QLit("移到最前面"), QLit("保持原样"))) return;
    // Each goes to the front in turn: the rows after it keep their places.
    for (size_t k = 0; k < shadowed.size(); ++k) {
        const size_t from = first + shadowed[k];
        m_edits.Move(from, k, m_rows[from]);
        std::rotate(m_rows.begin() + static_cast<ptrdiff_t>(k),
                    m_rows.begin() + static_cast<ptrdiff_t>(from),
                    m_rows.begin() + static_cast<ptrdiff_t>(from) + 1);
    }
    m_model->Refresh();
    RowsChanged();
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
