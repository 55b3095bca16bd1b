#include "MdbTableSource.h"

#include "AccessFile.h"

// glib before mdbtools: <mdbtools.h> opens extern "C" and only then includes
// glib, whose C++ templates cannot have C linkage.
#include <glib.h>
#include <mdbtools.h>

#include <QDateTime>
#include <QFile>
#include <QLibrary>
#include <QtEndian>

#include <bit>
#include <cmath>
#include <optional>
#include <vector>

namespace qcm {

namespace {

// libmdb is loaded when a file is read, not linked: the program starts and
// works without it (the Access reader is optional), and only the reading
// process ever loads it.
#define QCM_MDB_FUNCTIONS(X)                                                                                           \
    X(mdb_close)                                                                                                       \
    X(mdb_col_to_string)                                                                                               \
    X(mdb_crack_row)                                                                                                   \
    X(mdb_fetch_row)                                                                                                   \
    X(mdb_find_row)                                                                                                    \
    X(mdb_free_tabledef)                                                                                               \
    X(mdb_is_user_table)                                                                                               \
    X(mdb_numeric_to_string)                                                                                           \
    X(mdb_open)                                                                                                        \
    X(mdb_open_buffer)                                                                                                 \
    X(mdb_read_catalog)                                                                                                \
    X(mdb_read_columns)                                                                                                \
    X(mdb_read_table)                                                                                                  \
    X(mdb_rewind_table)                                                                                                \
    X(mdb_set_bind_size)                                                                                               \
    X(mdb_uuid_to_string)

struct MdbLibrary {
#define QCM_MDB_POINTER(name) decltype(&::name) name = nullptr;
    QCM_MDB_FUNCTIONS(QCM_MDB_POINTER)
#undef QCM_MDB_POINTER
};

// Null when the library or one of its functions cannot be found.
const MdbLibrary *loadMdb()
{
    static const std::optional<MdbLibrary> loaded = []() -> std::optional<MdbLibrary> {
        QLibrary library(QStringLiteral("mdb"), 3);
        if (!library.load())
            return std::nullopt;
        MdbLibrary functions;
#define QCM_MDB_RESOLVE(name)                                                                                          \
    functions.name = reinterpret_cast<decltype(functions.name)>(library.resolve(#name));                               \
    if (!functions.name)                                                                                               \
        return std::nullopt;
        QCM_MDB_FUNCTIONS(QCM_MDB_RESOLVE)
#undef QCM_MDB_RESOLVE
        return functions;
    }();
    return loaded ? &*loaded : nullptr;
}

// Only called once open() has found the library.
const MdbLibrary &libmdb()
{
    return *loadMdb();
}

// Where a row starts on its page, without the flags of the offset table.
constexpr int kRowOffsetMask = 0x1fff;
// A text stored longer than this is taken for damage, not for a statement.
constexpr qint64 kLongestText = 16 * 1024 * 1024;
// Dates outside the years 100 to 9999 are no dates Access writes.
constexpr double kEarliestDate = -657434.0;
constexpr double kLatestDate = 2958466.0;

struct TableDeleter {
    void operator()(MdbTableDef *table) const { libmdb().mdb_free_tabledef(table); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableDeleter>;

// The library reads its settings from the environment: texts must come back
// in UTF-8, and no debugging output may mix with the program's.
void prepareLibrary()
{
    qputenv("MDBICONV", "UTF-8");
    qunsetenv("MDBOPTS");
}

QString nameOf(const char *name)
{
    return QString::fromUtf8(name, qsizetype(qstrnlen(name, MDB_MAX_OBJ_NAME + 1)));
}

// Access keeps a date as days since 30 December 1899, the time of day as the
// fraction, which counts forward even for the days before (-1.25 is 29
// December 1899, 6 a.m.). The library's own formatting turns those earlier
// days into a zeroed date, so the stored number is read instead.
QVariant accessDate(double stored)
{
    if (!std::isfinite(stored) || stored < kEarliestDate || stored > kLatestDate)
        return stored;
    const double days = std::trunc(stored);
    qint64 seconds = qint64(std::fabs(stored - days) * 86400.0 + 0.5);
    seconds = std::min<qint64>(seconds, 86399);
    return QDateTime(QDate(1899, 12, 30).addDays(qint64(days)), QTime(0, 0).addSecs(int(seconds)), Qt::UTC);
}

template <typename T> T storedNumber(const unsigned char *at)
{
    if constexpr (std::is_floating_point_v<T>) {
        using Bits = std::conditional_t<sizeof(T) == 4, quint32, quint64>;
        return std::bit_cast<T>(qFromLittleEndian<Bits>(at));
    } else {
        return qFromLittleEndian<T>(at);
    }
}

// A text or memo, whole: the library writes it into a buffer of the bind
// size and silently cuts what does not fit, so the size is set, before each
// value, to what the stored bytes can become.
bool textValue(MdbHandle *mdb, int type, const MdbField &field, QVariant *out, QString *why)
{
    if (field.siz == 0) {
        *out = QString(QLatin1String(""));
        return true;
    }
    qint64 stored = field.siz;
    if (type == MDB_MEMO && field.siz >= MDB_MEMO_OVERHEAD) {
        // The memo's first four bytes: its length, and flags in the top bits
        // (0x80000000: kept in the row itself).
        const quint32 head = qFromLittleEndian<quint32>(mdb->pg_buf + field.start);
        if (!(head & 0x80000000u))
            stored = head & 0x3fffffffu;
    }
    if (stored > kLongestText) {
        *why = QStringLiteral("un texte y dépasse %1 millions de caractères").arg(kLongestText / (1024 * 1024));
        return false;
    }
    // A stored byte gives at most three bytes of UTF-8 (a character of a
    // Windows code page, or half of a UCS-2 one).
    const size_t room = size_t(3 * stored + 8);
    libmdb().mdb_set_bind_size(mdb, room);
    char *text = libmdb().mdb_col_to_string(mdb, mdb->pg_buf, field.start, type, field.siz);
    if (!text) {
        *why = QStringLiteral("un texte y est illisible");
        return false;
    }
    const size_t length = qstrnlen(text, room);
    *out = QString::fromUtf8(text, qsizetype(length));
    g_free(text);
    // Filled to the brim means cut: refused rather than shortened.
    if (length + 4 >= room) {
        *why = QStringLiteral("un texte n'a pas pu y être lu en entier");
        return false;
    }
    return true;
}

// One field of the row cracked on the current page.
bool fieldValue(MdbHandle *mdb, const MdbColumn *column, const MdbField &field, QVariant *out, QString *why)
{
    // A Yes/No field lives in the row's null mask: it is never Null.
    if (column->col_type == MDB_BOOL) {
        *out = field.is_null == 0;
        return true;
    }
    if (field.is_null) {
        *out = QVariant();
        return true;
    }
    const int pageSize = int(mdb->fmt->pg_size);
    const unsigned char *at = mdb->pg_buf + field.start;
    const auto fits = [&](int size) {
        return field.start >= 0 && field.siz >= size && field.start + std::max(size, field.siz) <= pageSize;
    };
    switch (column->col_type) {
    case MDB_BYTE:
        if (!fits(1))
            break;
        *out = int(*at);
        return true;
    case MDB_INT:
        if (!fits(2))
            break;
        *out = int(storedNumber<qint16>(at));
        return true;
    case MDB_LONGINT:
    case MDB_COMPLEX:
        if (!fits(4))
            break;
        *out = int(storedNumber<qint32>(at));
        return true;
    case MDB_MONEY: // ten-thousandths
        if (!fits(8))
            break;
        *out = double(storedNumber<qint64>(at)) / 10000.0;
        return true;
    case MDB_FLOAT:
        if (!fits(4))
            break;
        *out = double(storedNumber<float>(at));
        return true;
    case MDB_DOUBLE:
        if (!fits(8))
            break;
        *out = storedNumber<double>(at);
        return true;
    case MDB_DATETIME:
        if (!fits(8))
            break;
        *out = accessDate(storedNumber<double>(at));
        return true;
    case MDB_TEXT:
    case MDB_MEMO:
        if (!fits(0))
            break;
        return textValue(mdb, column->col_type, field, out, why);
    case MDB_NUMERIC: {
        if (!fits(17))
            break;
        char *text = libmdb().mdb_numeric_to_string(mdb, field.start, column->col_scale, column->col_prec);
        const QString number = text ? QString::fromUtf8(text) : QString();
        g_free(text);
        bool ok = false;
        const double value = number.toDouble(&ok);
        *out = ok ? QVariant(value) : QVariant(number);
        return true;
    }
    case MDB_REPID: {
        if (!fits(16))
            break;
        char *text = libmdb().mdb_uuid_to_string(mdb->pg_buf, field.start);
        *out = QString::fromUtf8(text);
        g_free(text);
        return true;
    }
    case MDB_BINARY:
        if (!fits(0))
            break;
        *out = QByteArray(reinterpret_cast<const char *>(at), field.siz);
        return true;
    default:
        // Pictures and other objects (OLE) are not read: no bank keeps them.
        *out = QByteArray();
        return true;
    }
    *why = QStringLiteral("une valeur y sort de sa ligne");
    return false;
}

} // namespace

struct MdbTableSource::Handle {
    MdbHandle *mdb = nullptr;
    QByteArray bytes; // what mdb_open_buffer reads, when it is used
    QList<QPair<QString, MdbCatalogEntry *>> tables;

    ~Handle()
    {
        if (mdb)
            libmdb().mdb_close(mdb);
    }

    MdbCatalogEntry *entry(const QString &table) const
    {
        for (const auto &[name, entry] : tables)
            if (name == table)
                return entry;
        return nullptr;
    }

    TablePtr open(const QString &table, QString *error) const
    {
        MdbCatalogEntry *e = entry(table);
        TablePtr t(e ? libmdb().mdb_read_table(e) : nullptr);
        GPtrArray *columns = t ? libmdb().mdb_read_columns(t.get()) : nullptr;
        if (!t || !columns || columns->len != t->num_cols) {
            *error = QStringLiteral("la description de la table « %1 » est illisible").arg(table);
            return nullptr;
        }
        return t;
    }
};

bool MdbTableSource::libraryAvailable()
{
    return loadMdb() != nullptr;
}

MdbTableSource::MdbTableSource(std::unique_ptr<Handle> handle) : m(std::move(handle)) { }

MdbTableSource::~MdbTableSource() = default;

std::unique_ptr<MdbTableSource> MdbTableSource::open(const QString &path, QString *error)
{
    const AccessFormat format = accessFormat(path);
    if (format != AccessFormat::Jet3 && format != AccessFormat::Jet4) {
        *error = QStringLiteral("ce n'est pas une base Access 97 à 2003");
        return nullptr;
    }
    if (!loadMdb()) {
        *error = QStringLiteral("la bibliothèque libmdb (paquet libmdb3), qui lit les bases Access, est absente");
        return nullptr;
    }
    prepareLibrary();
    auto handle = std::make_unique<Handle>();
    // MDB_NOFLAGS: read-only, the file is never written.
    handle->mdb = libmdb().mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!handle->mdb) {
        *error = QStringLiteral("le fichier ne peut pas être ouvert");
        return nullptr;
    }
    return start(std::move(handle), error);
}

std::unique_ptr<MdbTableSource> MdbTableSource::openBytes(const QByteArray &bytes, QString *error)
{
    const AccessFormat format = accessFormatOf(bytes);
    if (format != AccessFormat::Jet3 && format != AccessFormat::Jet4) {
        *error = QStringLiteral("ce n'est pas une base Access 97 à 2003");
        return nullptr;
    }
    if (!loadMdb()) {
        *error = QStringLiteral("la bibliothèque libmdb (paquet libmdb3), qui lit les bases Access, est absente");
        return nullptr;
    }
    prepareLibrary();
    auto handle = std::make_unique<Handle>();
    handle->bytes = bytes;
    handle->mdb = libmdb().mdb_open_buffer(handle->bytes.data(), size_t(handle->bytes.size()), MDB_NOFLAGS);
    if (!handle->mdb) {
        *error = QStringLiteral("le fichier ne peut pas être ouvert");
        return nullptr;
    }
    return start(std::move(handle), error);
}

std::unique_ptr<MdbTableSource> MdbTableSource::start(std::unique_ptr<Handle> handle, QString *error)
{
    // Before anything is read: every text buffer the library makes is of this size.
    libmdb().mdb_set_bind_size(handle->mdb, MDB_BIND_SIZE);
    GPtrArray *catalog = libmdb().mdb_read_catalog(handle->mdb, MDB_TABLE);
    if (!catalog) {
        *error = QStringLiteral("la liste de ses tables est illisible");
        return nullptr;
    }
    for (guint i = 0; i < catalog->len; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(catalog, i));
        if (entry && entry->object_type == MDB_TABLE && libmdb().mdb_is_user_table(entry))
            handle->tables.append({nameOf(entry->object_name), entry});
    }
    return std::unique_ptr<MdbTableSource>(new MdbTableSource(std::move(handle)));
}

QStringList MdbTableSource::tableNames() const
{
    QStringList names;
    for (const auto &table : m->tables)
        names << table.first;
    return names;
}

std::optional<QStringList> MdbTableSource::columns(const QString &table, QString *error)
{
    const TablePtr t = m->open(table, error);
    if (!t)
        return std::nullopt;
    QStringList names;
    for (guint i = 0; i < t->num_cols; ++i)
        names << nameOf(static_cast<MdbColumn *>(g_ptr_array_index(t->columns, i))->name);
    return names;
}

bool MdbTableSource::readRows(const QString &table, const RowVisitor &visit, QString *error)
{
    const TablePtr t = m->open(table, error);
    if (!t)
        return false;
    MdbHandle *mdb = m->mdb;
    const auto fail = [&](const QString &why) {
        *error = QStringLiteral("la table « %1 » ne peut pas être lue : %2").arg(table, why);
        return false;
    };
    std::vector<MdbField> fields(t->num_cols);
    QVariantList row;
    libmdb().mdb_rewind_table(t.get());
    // The rows are fetched one by one and cracked again here: the library
    // tells a Null from an empty text only in the row's null mask.
    while (libmdb().mdb_fetch_row(t.get())) {
        int start = 0;
        size_t size = 0;
        if (t->cur_row == 0 || libmdb().mdb_find_row(mdb, int(t->cur_row) - 1, &start, &size) != 0)
            return fail(QStringLiteral("une ligne est introuvable sur sa page"));
        if (t->num_cols > 0 && libmdb().mdb_crack_row(t.get(), start & kRowOffsetMask, size, fields.data()) < 0)
            return fail(QStringLiteral("une ligne est abîmée"));
        row.clear();
        for (guint i = 0; i < t->num_cols; ++i) {
            QVariant value;
            QString why;
            if (!fieldValue(mdb, static_cast<MdbColumn *>(g_ptr_array_index(t->columns, i)), fields[i], &value, &why))
                return fail(why);
            row.append(value);
        }
        visit(row);
    }
    return true;
}

std::optional<qint64> MdbTableSource::declaredRowCount(const QString &table) const
{
    MdbCatalogEntry *e = m->entry(table);
    const TablePtr t(e ? libmdb().mdb_read_table(e) : nullptr);
    if (!t)
        return std::nullopt;
    return qint64(t->num_rows);
}

} // namespace qcm
