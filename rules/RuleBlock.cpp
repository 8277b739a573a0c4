#include "RuleBlock.h"

#include "framework/Archive.h"
#include "rules/RuleFields.h"
#include "rules/RuleSet.h"

#include <array>
#include <cstring>
#include <string>

namespace {

constexpr std::uint32_t kEnabled = 1, kProcess = 2, kInert = 4;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

class CWriter {
public:
    void U32(std::uint32_t v) {
        const BYTE b[4] = {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
        m_bytes.insert(m_bytes.end(), b, b + 4);
    }
    void U16(unsigned v) {
        m_bytes.push_back(BYTE(v));
        m_bytes.push_back(BYTE(v >> 8));
    }
    void Units(StringView text) {
        for (WCHAR16 unit : text)
            U16(unit);
    }
    void Text(StringView text) {
        U32(static_cast<std::uint32_t>(text.size()));
        Units(text);
    }
    std::vector<BYTE>& Bytes() { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
};

// Reads the body; the first fault ends it with its offset and words.
class CReader {
public:
    CReader(const BYTE* data, size_t size, std::uint64_t offset)
        : m_data(data), m_size(size), m_offset(offset) {}

    bool Failed() const { return m_failed; }
    std::uint64_t FaultOffset() const { return m_faultOffset; }
    const CString& Problem() const { return m_problem; }

    void Fail(const WCHAR16* problem, size_t at) {
        if (m_failed)
            return;
        m_failed = true;
        m_faultOffset = m_offset + at;
        m_problem = problem;
    }
    size_t Pos() const { return m_pos; }
    std::uint32_t U32() {
        if (m_failed || m_size - m_pos < 4) {
            Fail(_T("it ends inside an entry"), m_pos);
            return 0;
        }
        const std::uint32_t v = LoadU32(m_data + m_pos);
        m_pos += 4;
        return v;
    }
    CString Text(size_t maxUnits) {
        const size_t at = m_pos;
        const std::uint32_t n = U32();
        if (m_failed)
            return CString();
        if (n > maxUnits || (m_size - m_pos) / 2 < n) {
            Fail(_T("a text is longer than its entry allows"), at);
            return CString();
        }
        std::basic_string<WCHAR16> units(n, WCHAR16());
        for (std::uint32_t i = 0; i < n; ++i)
            units[i] = static_cast<WCHAR16>(m_data[m_pos + 2 * i] | m_data[m_pos + 2 * i + 1] << 8);
        m_pos += 2 * size_t(n);
        return CString(StringView(units));
    }
    bool AtEnd() const { return m_pos == m_size; }
    unsigned U16() {
        if (m_failed || m_size - m_pos < 2) {
            Fail(_T("it ends inside an entry"), m_pos);
            return 0;
        }
        const unsigned v = m_data[m_pos] | m_data[m_pos + 1] << 8;
        m_pos += 2;
        return v;
    }
    // The next n bytes, or null when fewer are left.
    const BYTE* Bytes(size_t n) {
        if (m_failed || m_size - m_pos < n) {
            Fail(_T("it ends inside an entry"), m_pos);
            return nullptr;
        }
        const BYTE* at = m_data + m_pos;
        m_pos += n;
        return at;
    }

private:
    const BYTE* m_data;
    size_t m_size;
    std::uint64_t m_offset;
    size_t m_pos = 0;
    bool m_failed = false;
    std::uint64_t m_faultOffset = 0;
    CString m_problem;
};

constexpr size_t kNoLimit = 0x7FFFFFFF;
// A tagged field's flag: a reader that does not know the tag must not act on the rule.
constexpr unsigned kMustUnderstand = 1;

// The tagged part of an entry (version 2): the count of fields, then each as its tag, flags,
// byte length and value (a number: 4 bytes; a text: its UTF-16LE units). Only fields that differ
// from their defaults are written, and the fields of a newer Quellix as they were read.
void WriteTagged(CWriter& out, const CRule& rule) {
    CWriter fields;
    std::uint32_t count = 0;
    for (const CRuleField& field : RuleFields()) {
        if (field.place != EFieldPlace::Tagged || FieldIsDefault(field, rule))
            continue;
        ++count;
        fields.U16(field.tag);
        fields.U16(field.mustUnderstand ? kMustUnderstand : 0);
        if (field.kind == EFieldKind::Text) {
            const StringView text = (rule.*field.text).View();
            fields.U32(static_cast<std::uint32_t>(2 * text.size()));
            fields.Units(text);
        } else {
            fields.U32(4);
            fields.U32(static_cast<std::uint32_t>(FieldNumber(field, rule)));
        }
    }
    // Kept as read: each is a whole field, counted in the first two bytes' place.
    const std::vector<BYTE>& unknown = rule.m_unknownFields;
    for (size_t at = 0; at + 8 <= unknown.size(); ++count)
        at += 8 + LoadU32(unknown.data() + at + 4);
    out.U32(count);
    out.Bytes().insert(out.Bytes().end(), fields.Bytes().begin(), fields.Bytes().end());
    out.Bytes().insert(out.Bytes().end(), unknown.begin(), unknown.end());
}

const CRuleField* TaggedField(unsigned tag) {
    for (const CRuleField& field : RuleFields())
        if (field.place == EFieldPlace::Tagged && field.tag == tag)
            return &field;
    return nullptr;
}

void ReadTagged(CReader& in, CRule& rule) {
    const std::uint32_t count = in.U32();
    for (std::uint32_t i = 0; i < count && !in.Failed(); ++i) {
        const size_t at = in.Pos();
        const unsigned tag = in.U16();
        const unsigned flags = in.U16();
        const std::uint32_t length = in.U32();
        const BYTE* value = in.Bytes(length);
        if (value == nullptr)
            return;
        const CRuleField* field = TaggedField(tag);
        if (field == nullptr) {
            const BYTE* whole = value - 8;
            rule.m_unknownFields.insert(rule.m_unknownFields.end(), whole, value + length);
            if (flags & kMustUnderstand)
                rule.m_bNeedsNewer = true;
            continue;
        }
        const bool text = field->kind == EFieldKind::Text;
        if (text ? length % 2 != 0 : length != 4) {
            in.Fail(_T("an entry has values no rule can have"), at);
            return;
        }
        if (text) {
            std::basic_string<WCHAR16> units(length / 2, WCHAR16());
            for (size_t k = 0; k < units.size(); ++k)
                units[k] = static_cast<WCHAR16>(value[2 * k] | value[2 * k + 1] << 8);
            rule.*field->text = CString(StringView(units));
        } else {
            field->set(rule, static_cast<std::int32_t>(LoadU32(value)));
            if (!FieldProblem(*field, rule).IsEmpty()) {
                in.Fail(_T("an entry has values no rule can have"), at);
                return;
            }
        }
    }
}

// Whether the rules need the tagged part, and so the block's version 2.
bool NeedsTagged(const CRuleSet& rules) {
    for (int i = 0; i < rules.GetCount(); ++i) {
        const CRule& rule = rules.GetAt(i);
        if (!rule.m_unknownFields.empty())
            return true;
        for (const CRuleField& field : RuleFields())
            if (field.place == EFieldPlace::Tagged && !FieldIsDefault(field, rule))
                return true;
    }
    return false;
}

bool ValidMode(std::uint32_t m) {
    return m < static_cast<std::uint32_t>(kTextModeCount);
}

void ReadEntry(CReader& in, std::uint32_t version, CRule& rule, bool& inert) {
    const size_t at = in.Pos();
    const std::uint32_t flags = in.U32();
    const std::uint32_t modes = in.U32();
    const std::uint32_t triggers = in.U32();
    if (in.Failed())
        return;
    if ((flags & ~std::uint32_t(kEnabled | kProcess | kInert)) != 0 || !ValidMode(modes & 0xFF) ||
        !ValidMode(modes >> 8 & 0xFF) || !ValidMode(modes >> 16 & 0xFF) || (modes >> 24) != 0 ||
        triggers == 0 || (triggers & ~kTriggerAll) != 0) {
        in.Fail(_T("an entry has values no rule can have"), at);
        return;
    }
    inert = (flags & kInert) != 0;
    rule.m_bEnabled = (flags & kEnabled) ? TRUE : FALSE;
    rule.m_bMatchProcess = (flags & kProcess) ? TRUE : FALSE;
    rule.m_titleMode = static_cast<TextMode>(modes & 0xFF);
    rule.m_classMode = static_cast<TextMode>(modes >> 8 & 0xFF);
    rule.m_processMode = static_cast<TextMode>(modes >> 16 & 0xFF);
    rule.m_dwTriggers = triggers;
    rule.m_strName = in.Text(kMaxRuleName);
    rule.m_strProcess = in.Text(kNoLimit);
    if (version >= 2)
        ReadTagged(in, rule);
    if (!inert)
        return;
    RECT& rc = rule.m_rcWindow;
    rc.left = static_cast<LONG>(in.U32());
    rc.top = static_cast<LONG>(in.U32());
    rc.right = static_cast<LONG>(in.U32());
    rc.bottom = static_cast<LONG>(in.U32());
    rule.m_dwStyle = in.U32();
    rule.m_dwExStyle = in.U32();
    rule.m_bMatchTitle = static_cast<BOOL>(in.U32());
    rule.m_bMatchClass = static_cast<BOOL>(in.U32());
    rule.m_bMatchDimensions = static_cast<BOOL>(in.U32());
    rule.m_bMatchLocation = static_cast<BOOL>(in.U32());
    rule.m_bMatchStyle = static_cast<BOOL>(in.U32());
    rule.m_bMatchExStyle = static_cast<BOOL>(in.U32());
    rule.m_nDelayMs = static_cast<int>(in.U32());
    rule.m_strTitle = in.Text(kNoLimit);
    rule.m_strClass = in.Text(kNoLimit);
}

void WriteEntry(CWriter& out, std::uint32_t version, const CRule& rule) {
    const bool inert = !rule.FitsRecord();
    out.U32((rule.m_bEnabled ? kEnabled : 0) | (rule.m_bMatchProcess ? kProcess : 0) |
            (inert ? kInert : 0));
    out.U32(static_cast<std::uint32_t>(rule.m_titleMode) |
            static_cast<std::uint32_t>(rule.m_classMode) << 8 |
            static_cast<std::uint32_t>(rule.m_processMode) << 16);
    out.U32(rule.m_dwTriggers);
    out.Text(rule.m_strName.View());
    out.Text(rule.m_strProcess.View());
    if (version >= 2)
        WriteTagged(out, rule);
    if (!inert)
        return;
    const RECT& rc = rule.m_rcWindow;
    for (std::uint32_t v :
         {std::uint32_t(rc.left), std::uint32_t(rc.top), std::uint32_t(rc.right),
          std::uint32_t(rc.bottom), std::uint32_t(rule.m_dwStyle), std::uint32_t(rule.m_dwExStyle),
          std::uint32_t(rule.m_bMatchTitle), std::uint32_t(rule.m_bMatchClass),
          std::uint32_t(rule.m_bMatchDimensions), std::uint32_t(rule.m_bMatchLocation),
          std::uint32_t(rule.m_bMatchStyle), std::uint32_t(rule.m_bMatchExStyle),
          std::uint32_t(rule.m_nDelayMs)})
        out.U32(v);
    out.Text(rule.m_strTitle.View());
    out.Text(rule.m_strClass.View());
}

// Gives rules[first..] what the block's entries hold.
void Apply(std::vector<CRuleBlock::CEntry>& entries, CRuleSet& rules, int first) {
    for (size_t i = 0; i < entries.size(); ++i) {
        const int at = first + static_cast<int>(i);
        CRule& entry = entries[i].rule;
        if (!entries[i].inert) // the record holds the rest of the rule
            TakeRecord(entry, RecordOf(rules.GetAt(at)));
        rules.Replace(at, entry);
    }
}

} // namespace

namespace CRuleBlock {

CVerdict Parse(const BYTE* data, size_t size, std::uint64_t offset, int count,
               std::vector<CEntry>* entries) {
    CVerdict verdict;
    if (size < sizeof kTag || std::memcmp(data, kTag, sizeof kTag) != 0)
        return verdict;
    const auto fail = [&](CVerdict::Status status, std::uint64_t at, const WCHAR16* problem) {
        verdict.status = status;
        verdict.offset = at;
        verdict.problem = problem;
        return verdict;
    };
    if (size < kHeaderSize)
        return fail(CVerdict::Status::Damaged, offset, _T("its header is cut short"));
    const std::uint32_t version = LoadU32(data + 4);
    const std::uint32_t length = LoadU32(data + 8);
    if (version > kVersion) {
        CString problem;
        problem.Format(_T("it is of version %d, written by a newer Quellix"),
                       static_cast<int>(version));
        CVerdict newer = fail(CVerdict::Status::Newer, offset + 4, _T(""));
        newer.problem = problem;
        return newer;
    }
    if (version < 1)
        return fail(CVerdict::Status::Damaged, offset + 4, _T("its version is not valid"));
    if (length > size - kHeaderSize)
        return fail(CVerdict::Status::Damaged, offset + 8, _T("the file ends before it does"));
    const BYTE* body = data + kHeaderSize;
    if (Crc32(body, length) != LoadU32(data + 12))
        return fail(CVerdict::Status::Damaged, offset + 12,
                    _T("its checksum does not match its contents"));

    CReader in(body, length, offset + kHeaderSize);
    const std::uint32_t n = in.U32();
    if (!in.Failed() && n != static_cast<std::uint32_t>(count))
        in.Fail(_T("its entry count differs from the rule count"), 0);
    for (std::uint32_t i = 0; i < n && !in.Failed(); ++i) {
        CEntry entry;
        ReadEntry(in, version, entry.rule, entry.inert);
        if (entries != nullptr)
            entries->push_back(std::move(entry));
    }
    if (!in.Failed() && !in.AtEnd())
        in.Fail(_T("it has bytes after its last entry"), in.Pos());
    if (in.Failed())
        return fail(CVerdict::Status::Damaged, in.FaultOffset(), in.Problem().GetString());
    verdict.status = CVerdict::Status::Sound;
    verdict.size = kHeaderSize + length;
    return verdict;
}

void StoreRecord(CArchive& ar, const CRule& rule) {
    CWindowInfo record = RecordOf(rule);
    if (!rule.FitsRecord()) {
        // A reader of the records alone must never act more broadly than the rule: it gets
        // one that no window matches (right of left: a width no window has).
        record.m_rcWindow = RECT{0, 0, -1, -1};
        record.m_bMatchTitle = record.m_bMatchClass = record.m_bMatchLocation = FALSE;
        record.m_bMatchStyle = record.m_bMatchExStyle = FALSE;
        record.m_bMatchDimensions = TRUE;
    }
    record.Serialize(ar);
}

void Store(CArchive& ar, const CRuleSet& rules) {
    if (!IsNeeded(rules))
        return; // the file is the records alone, as an older Quellix writes it
    // Version 1 while no rule needs more: the copies that read only it keep reading the file.
    const std::uint32_t version = NeedsTagged(rules) ? kVersion : 1;
    CWriter body;
    body.U32(static_cast<std::uint32_t>(rules.GetCount()));
    for (int i = 0; i < rules.GetCount(); ++i)
        WriteEntry(body, version, rules.GetAt(i));
    CWriter header;
    header.Bytes().assign(kTag, kTag + sizeof kTag);
    header.U32(version);
    header.U32(static_cast<std::uint32_t>(body.Bytes().size()));
    header.U32(Crc32(body.Bytes().data(), body.Bytes().size()));
    ar.Write(header.Bytes().data(), header.Bytes().size());
    ar.Write(body.Bytes().data(), body.Bytes().size());
}

void Load(CArchive& ar, CRuleSet& rules, int first) {
    const std::uint64_t offset = ar.GetPosition();
    std::vector<BYTE> rest;
    BYTE chunk[4096];
    for (size_t n; (n = ar.Read(chunk, sizeof chunk)) != 0;)
        rest.insert(rest.end(), chunk, chunk + n);
    std::vector<CEntry> entries;
    const CVerdict verdict =
        Parse(rest.data(), rest.size(), offset, rules.GetCount() - first, &entries);
    if (verdict.status == CVerdict::Status::None)
        return;
    if (verdict.status != CVerdict::Status::Sound)
        throw CRuleBlockException(Describe(verdict));
    Apply(entries, rules, first);
}

bool IsNeeded(const CRuleSet& rules) {
    for (int i = 0; i < rules.GetCount(); ++i) {
        const CRule& rule = rules.GetAt(i);
        // An unticked program text is kept, as an unticked title and class are.
        if (!rule.FitsRecord() || !rule.m_strName.IsEmpty() || !rule.m_strProcess.IsEmpty())
            return true;
    }
    return NeedsTagged(rules);
}

std::uint32_t RecordsChecksum(const CRuleSet& rules) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << rules.GetCount();
    for (int i = 0; i < rules.GetCount(); ++i)
        StoreRecord(ar, rules.GetAt(i));
    ar.Close();
    return Crc32(file.Data().data(), file.Data().size());
}

bool Restore(const BYTE* block, size_t size, CRuleSet& rules) {
    std::vector<CEntry> entries;
    if (Parse(block, size, 0, rules.GetCount(), &entries).status != CVerdict::Status::Sound)
        return false;
    Apply(entries, rules, 0);
    return true;
}

std::uint32_t Crc32(const BYTE* data, size_t size) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        c = kCrcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

CString Describe(const CVerdict& verdict) {
    CString text;
    text.Format(_T("byte %d: the rule details after the last rule cannot be used: %s"),
                static_cast<int>(verdict.offset), verdict.problem);
    return text;
}

} // namespace CRuleBlock
