// scry html: one self-contained page of a file, or of two files compared. Everything is in the
// HTML itself; the inline script only adds search and the gig-sheet buttons.
#include <algorithm>
#include <map>
#include <set>

#include "Commands.h"

namespace scry {

namespace {

// Names are bytes: shown as UTF-8 from ISO 8859-1, control bytes as \xNN, then escaped for HTML.
std::string Esc(const std::string& bytes)
{
    const std::string text = LineName(bytes);
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Thousands(std::int64_t value)
{
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0 && digits[i - 1] != '-')
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

constexpr const char* Style = R"CSS(
:root{color-scheme:light dark;--bg:#fff;--fg:#111;--line:#ccc;--faint:#999;--tile:#f4f4f4}
@media (prefers-color-scheme:dark){:root{--bg:#000;--fg:#eee;--line:#444;--faint:#666;--tile:#151515}}
body{background:var(--bg);color:var(--fg);font:15px/1.35 system-ui,sans-serif;margin:0 1.5em 3em}
.setlist,.bank{content-visibility:auto;contain-intrinsic-size:auto 600px}
h1{margin:.6em 0 .2em}h2{margin-top:1.6em;border-bottom:1px solid var(--line)}h3{margin:1.2em 0 .4em}
nav ul{display:flex;flex-wrap:wrap;gap:.4em 1.4em;padding:0;list-style:none}
.search{position:sticky;top:0;background:var(--bg);padding:.4em 0;z-index:1}
#q{font-size:1em;padding:.2em .4em;width:18em}
.page{display:grid;grid-template-columns:repeat(4,minmax(0,1fr));gap:4px;list-style:none;padding:0;margin:0 0 6px}
.page::before{content:attr(aria-label);grid-column:1/-1;font-size:.75em;color:var(--faint)}
.t{background:var(--tile);border:1px solid var(--line);border-radius:4px;padding:3px 6px;min-height:3.2em;overflow:hidden}
.t b{display:block;font-weight:600;white-space:nowrap;overflow:hidden;text-overflow:ellipsis}
.t i,.t small{display:block;font-style:normal;font-size:.78rem;white-space:nowrap;overflow:hidden;text-overflow:ellipsis}
.t small,var{color:var(--faint)}var{font-style:normal;font-size:.72rem;margin-right:.3em}
.u{opacity:.35;min-height:1.5em}
.f0 b{font-size:.85rem}.f1 b{font-size:1rem}.f2 b{font-size:1.25rem}.f3 b{font-size:1.55rem}
.c0 b{color:#808080}.c1 b{color:#e0413a}.c2 b{color:#ee7a00}.c3 b{color:#c49a00}.c4 b{color:#5fa52d}
.c5 b{color:#17a57c}.c6 b{color:#159fb8}.c7 b{color:#3d82e0}.c8 b{color:#7b68e8}.c9 b{color:#a95cc4}
.c10 b{color:#d8489f}.c11 b{color:#c9645a}.c12 b{color:#9a7b5f}.c13 b{color:#2f9e55}.c14 b{color:#6482f4}.c15 b{color:#b8862f}
.palette{display:flex;flex-wrap:wrap;gap:.3em 1em;list-style:none;padding:0}
.grid{display:grid;grid-template-columns:repeat(8,minmax(0,1fr));gap:2px 6px;list-style:none;padding:0;font-size:.85rem}
.grid b{font-weight:400}.grid li{white-space:nowrap;overflow:hidden;text-overflow:ellipsis;border-bottom:1px solid var(--line)}
table{border-collapse:collapse}td,th{border-bottom:1px solid var(--line);padding:.15em .8em;text-align:left}
.hide{display:none!important}
mark{background:none;color:inherit;font-size:.72rem;font-weight:700;border-radius:3px;padding:0 .3em;margin-right:.3em;border:1px solid}
.m-renamed{color:#3d82e0}.m-changed{color:#e0413a}.m-moved{color:#a95cc4}.m-added{color:#2f9e55}.m-removed{color:#ee7a00}.m-settings{color:#c49a00}
.removed b{text-decoration:line-through}
#only:checked~main .same{display:none}
.gig{display:none}
@media print{
 body{background:#fff;color:#000;font-size:14pt;margin:0}
 body.printing>*:not(main){display:none!important}
 body.printing main>section:not(.printing-section){display:none!important}
 body.printing .printing-section>*:not(.print-target){display:none!important}
 body.printing .print-target>*:not(h3):not(.gig){display:none!important}
 body.printing .print-target .gig{display:table;width:100%}
 body.printing .print-target .gig.long{font-size:10pt}
 body.printing h3 button,body.printing h3 mark{display:none}
 .gig td,.gig th{border-bottom:1px solid #000;padding:.1em .4em;color:#000}
 .t b,.t i,.t small{color:#000!important}
}
)CSS";

constexpr const char* Script = R"JS(
(function(){
 var q=document.getElementById('q'),count=document.getElementById('count');
 var all=function(sel,root){return [].slice.call((root||document).querySelectorAll(sel));};
 var named=all('.t:not(.u),.grid li');
 var nameOf=function(el){var b=el.querySelector('b');return b?b.textContent:'';};
 q.hidden=false;q.parentNode.hidden=false;
 q.addEventListener('input',function(){
  var text=q.value.trim().toLowerCase(),hits=0;
  named.forEach(function(el){var hit=!text||nameOf(el).toLowerCase().indexOf(text)>=0;
   el.classList.toggle('hide',!hit);if(hit&&text)hits++;});
  all('.setlist,.bank').forEach(function(g){var own=(g.getAttribute('data-n')||'').toLowerCase();
   var ownHit=!!text&&own.indexOf(text)>=0;
   if(ownHit){hits++;all('.hide',g).forEach(function(el){el.classList.remove('hide');});}
   var any=!text||ownHit||!!g.querySelector('.t:not(.u):not(.hide),.grid li:not(.hide)');
   g.classList.toggle('hide',!any);});
  all('.page').forEach(function(p){p.classList.toggle('hide',!!text&&!p.querySelector('.t:not(.u):not(.hide)'));});
  count.textContent=text?(hits+(hits==1?' match':' matches')):'';
 });
 all('button[data-print]').forEach(function(b){
  b.hidden=false;b.addEventListener('click',function(){window.printSetList(b.getAttribute('data-print'));});});
 // The gig sheet: slot, name, what it plays, transpose and volume of every used slot, for print.
 window.printSetList=function(id){
  var list=document.getElementById(id),old=list.querySelector('.gig');if(old)old.remove();
  var rows=all('.t:not(.u):not(.removed)',list),table=document.createElement('table');
  table.className='gig'+(rows.length>36?' long':'');
  var head=table.createTHead().insertRow();
  ['Slot','Name','Plays','Transpose','Volume'].forEach(function(t){var th=document.createElement('th');th.textContent=t;head.appendChild(th);});
  var body=table.createTBody();
  rows.forEach(function(t){var m=/tr (\d+) \u00b7 vol (\d+)/.exec(t.querySelector('small').textContent)||['','',''];
   var r=body.insertRow();[t.querySelector('var').textContent,nameOf(t),t.querySelector('i').textContent,m[1],m[2]]
   .forEach(function(v){r.insertCell().textContent=v;});});
  list.appendChild(table);
  document.body.classList.add('printing');list.classList.add('print-target');list.parentNode.classList.add('printing-section');
  var done=function(){document.body.classList.remove('printing');list.classList.remove('print-target');
   list.parentNode.classList.remove('printing-section');window.removeEventListener('afterprint',done);};
  window.addEventListener('afterprint',done);window.print();
 };
})();
)JS";

struct Marks {
    // Where each difference stands, by what it marks.
    std::map<std::pair<std::size_t, std::size_t>, const Difference*> slots;
    std::map<std::size_t, std::vector<const Difference*>> setLists;
    std::map<std::tuple<ChunkKind, std::string, std::size_t>, const Difference*> records;
    std::map<std::pair<ChunkKind, std::string>, const Difference*> banks;
    std::map<std::string, const Difference*> chunks;
    bool any = false;
};

const char* MarkClass(Change change)
{
    switch (change) {
    case Change::Renamed: return "m-renamed";
    case Change::Changed:
    case Change::RenamedAndChanged: return "m-changed";
    case Change::Moved: return "m-moved";
    case Change::Added: return "m-added";
    case Change::Removed: return "m-removed";
    case Change::Settings: return "m-settings";
    }
    return "m-changed";
}

const char* MarkSymbol(Change change)
{
    switch (change) {
    case Change::Renamed: return "\xE2\x9C\x8E ";   // pencil
    case Change::Changed:
    case Change::RenamedAndChanged: return "\xE2\x97\x8F ";   // black circle
    case Change::Moved: return "\xE2\x86\x94 ";               // left right arrow
    case Change::Added: return "+ ";
    case Change::Removed: return "\xE2\x88\x92 ";    // minus
    case Change::Settings: return "\xE2\x9A\x99 ";   // gear
    }
    return "";
}

std::string Mark(const Difference* d)
{
    if (d == nullptr)
        return {};
    return std::string("<mark class=\"") + MarkClass(d->change) + "\">" + MarkSymbol(d->change) +
           ChangeName(d->change) + "</mark>";
}

void WriteTile(std::string& out, const FileModel& file, std::size_t j, const Slot& slot, const Slot* oldSlot,
               const Difference* mark, bool comparing)
{
    const std::string number = Pad3(static_cast<unsigned>(j));
    const std::string same = comparing && mark == nullptr ? " same" : "";
    if (!slot.used && !(mark != nullptr && mark->change == Change::Removed && oldSlot != nullptr)) {
        out += "<li class=\"t u" + same + "\"><var>" + number + "</var></li>";
        return;
    }
    const Slot& shown = slot.used ? slot : *oldSlot;
    const SlotAttributes& a = shown.attributes;
    const Plays plays = WhatSlotPlays(file, a);
    std::string what =
        plays.kind + " " + plays.where + " " + (plays.note.empty() ? Esc(plays.name) : "(" + plays.note + ")");
    out += "<li class=\"t c" + std::to_string(a.color & 15u) + " f" + std::to_string(a.font & 3u) + same +
           (slot.used ? "" : " removed") + "\"";
    if (mark != nullptr)
        out += " title=\"" + Esc(mark->line) + "\"";
    out += "><var>" + number + "</var>" + Mark(mark) + "<b>" + Esc(shown.name) + "</b><i>" + what + "</i><small>tr " +
           std::to_string(a.transpose) + " \xC2\xB7 vol " + std::to_string(a.volume) + " \xC2\xB7 hold " +
           std::to_string(a.holdTime) + " \xC2\xB7 kbd " + std::to_string(a.kbdTrack) + "</small></li>";
}

void WriteSetLists(std::string& out, const FileModel& file, const FileModel* oldFile, const Marks& marks)
{
    const Bank* oldBank = nullptr;
    if (oldFile != nullptr)
        for (const Bank& bank : oldFile->banks)
            if (bank.kind == Kind::SLS1 && oldBank == nullptr)
                oldBank = &bank;
    const bool comparing = oldFile != nullptr;
    out += "<section id=\"setlists\"><h2>Set lists</h2>"
           "<details class=\"legend\"><summary>Colours and sizes</summary><ol class=\"palette\" start=\"0\">";
    for (int c = 0; c < 16; ++c)
        out += "<li class=\"c" + std::to_string(c) + "\"><b>colour " + std::to_string(c) + "</b></li>";
    out += "</ol><p>Font sizes 0 to 3 are drawn "
           "<span class=\"f0\"><b>small</b></span>, <span class=\"f1\"><b>medium</b></span>, "
           "<span class=\"f2\"><b>large</b></span>, <span class=\"f3\"><b>extra large</b></span>. "
           "Unused slots are faint.</p></details>";
    std::vector<std::string> empty;
    for (const Bank& bank : file.banks) {
        if (bank.kind != Kind::SLS1)
            continue;
        for (std::size_t i = 0; i < bank.setLists.size(); ++i) {
            const SetList& list = bank.setLists[i];
            const SetList* oldList =
                oldBank != nullptr && i < oldBank->setLists.size() ? &oldBank->setLists[i] : nullptr;
            const bool used = std::any_of(list.slots.begin(), list.slots.end(), [](const Slot& s) { return s.used; }) ||
                              (oldList != nullptr && std::any_of(oldList->slots.begin(), oldList->slots.end(),
                                                                 [](const Slot& s) { return s.used; }));
            const auto headMarks = marks.setLists.find(i);
            bool differs = headMarks != marks.setLists.end();
            for (std::size_t j = 0; j < list.slots.size() && !differs; ++j)
                differs = marks.slots.count({i, j}) != 0;
            const std::string id = "sl" + Pad3(static_cast<unsigned>(i));
            if (!used && !differs) {
                empty.push_back("<li><var>" + Pad3(static_cast<unsigned>(i)) + "</var><b>" + Esc(list.name) +
                                "</b></li>");
                continue;
            }
            out += "<section class=\"setlist" + std::string(comparing && !differs ? " same" : "") + "\" id=\"" + id +
                   "\" data-n=\"" + Esc(list.name) + "\"><h3>Set list " + Pad3(static_cast<unsigned>(i)) + ": " +
                   Esc(list.name) + " ";
            if (headMarks != marks.setLists.end())
                for (const Difference* d : headMarks->second)
                    out += "<span title=\"" + Esc(d->line) + "\">" + Mark(d) + "</span>";
            out += "<button type=\"button\" data-print=\"" + id + "\" hidden>Print gig sheet</button></h3>";
            for (std::size_t page = 0; page < 8; ++page) {
                out += "<ol class=\"page\" aria-label=\"Page " + std::to_string(page + 1) + ": slots " +
                       Pad3(static_cast<unsigned>(page * 16)) + " to " + Pad3(static_cast<unsigned>(page * 16 + 15)) +
                       "\">";
                for (std::size_t j = page * 16; j < page * 16 + 16 && j < list.slots.size(); ++j) {
                    const auto mark = marks.slots.find({i, j});
                    WriteTile(out, file, j, list.slots[j], oldList != nullptr ? &oldList->slots[j] : nullptr,
                              mark == marks.slots.end() ? nullptr : mark->second, comparing);
                }
                out += "</ol>";
            }
            out += "</section>";
        }
    }
    if (!empty.empty()) {
        out += "<section class=\"setlist" + std::string(comparing ? " same" : "") +
               "\" id=\"unused-setlists\"><h3>Set lists without a used slot</h3><ul class=\"grid\">";
        for (const std::string& item : empty)
            out += item;
        out += "</ul></section>";
    }
    out += "</section>";
}

void WriteBanks(std::string& out, const FileModel& file, ChunkKind kind, const Marks& marks, bool comparing)
{
    const bool combis = kind == Kind::CMB1;
    out += std::string("<section id=\"") + (combis ? "combis" : "programs") + "\"><h2>" +
           (combis ? "Combination banks" : "Program banks") + "</h2>";
    for (const Bank& bank : file.banks) {
        if (bank.kind != kind)
            continue;
        const std::string id = std::string(combis ? "c-" : "p-") + Esc(bank.name) + "-" + bank.id;
        const auto bankMark = marks.banks.find({kind, bank.name});
        bool differs = bankMark != marks.banks.end();
        for (std::size_t i = 0; i < bank.records.size() && !differs; ++i)
            differs = marks.records.count({kind, bank.name, i}) != 0;
        out += "<section class=\"bank" + std::string(comparing && !differs ? " same" : "") + "\" id=\"" + id +
               "\" data-n=\"" + Esc(bank.name) + "\"><h3>" + Esc(bank.name) + " <small>(" + bank.id +
               (bank.id == "MBK1"   ? ", EXi"
                : bank.id == "PBK1" ? ", HD-1"
                                    : "") +
               ")</small> " + (bankMark != marks.banks.end() ? Mark(bankMark->second) : "") + "</h3>";
        if (!bank.loaded) {
            out += "<p>Not loaded: the bank's size does not match, or the file ends inside it.</p></section>";
            continue;
        }
        out += "<ol class=\"grid\" start=\"0\">";
        for (std::size_t i = 0; i < bank.records.size(); ++i) {
            const Record& record = bank.records[i];
            const auto mark = marks.records.find({kind, bank.name, i});
            const Difference* d = mark == marks.records.end() ? nullptr : mark->second;
            out += "<li title=\"" + Hex8(record.fingerprint) +
                   (d != nullptr ? " \xE2\x80\x94 " + Esc(d->line) : std::string()) + "\"" +
                   (comparing && d == nullptr ? " class=\"same\"" : "") + "><var>" + Pad3(static_cast<unsigned>(i)) +
                   "</var>" + Mark(d) + "<b>" + Esc(record.name) + "</b></li>";
        }
        out += "</ol></section>";
    }
    out += "</section>";
}

void WriteTwins(std::string& out, const FileModel& file)
{
    // Records of equal fingerprints, programs and combinations apart.
    std::map<std::pair<ChunkKind, std::uint32_t>, std::vector<std::string>> places;
    for (const Bank& bank : file.banks)
        for (std::size_t i = 0; i < bank.records.size(); ++i)
            places[{bank.kind, bank.records[i].fingerprint}].push_back(Esc(bank.name) + Pad3(static_cast<unsigned>(i)) +
                                                                       " \xE2\x80\x9C" + Esc(bank.records[i].name) +
                                                                       "\xE2\x80\x9D");
    out += "<section id=\"twins\"><h2>Same bytes twice</h2><p>Records whose fingerprints are equal: the same "
           "program or combination stored in more than one place.</p><ul>";
    std::size_t groups = 0;
    for (const auto& [key, where] : places) {
        if (where.size() < 2)
            continue;
        ++groups;
        out += std::string("<li><code>") + Hex8(key.second) + "</code> " +
               (key.first == Kind::CMB1 ? "combination" : "program") + ": ";
        for (std::size_t k = 0; k < where.size(); ++k)
            out += (k == 0 ? "" : ", ") + where[k];
        out += "</li>";
    }
    if (groups == 0)
        out += "<li>None: every record's bytes are its own.</li>";
    out += "</ul></section>";
}

void WriteChunks(std::string& out, const FileModel& file, const FileModel* oldFile, const Marks& marks)
{
    const bool comparing = oldFile != nullptr;
    out += "<section id=\"chunks\"><h2>Chunks</h2><table><thead><tr><th>Id</th><th>Holds</th><th>Offset</th>"
           "<th>Size</th><th>Fingerprint</th><th></th></tr></thead><tbody>";
    const auto row = [&](const Chunk& chunk, const Difference* d) {
        out += std::string("<tr") + (comparing && d == nullptr ? " class=\"same\"" : "") + "><td>" + Esc(chunk.id) +
               "</td><td>" + ChunkHolds(chunk.id) + "</td><td>" + Thousands(chunk.offset) + "</td><td>" +
               Thousands(chunk.size) + "</td><td><code>" + Hex8(chunk.fingerprint) + "</code></td><td>" + Mark(d) +
               (chunk.cut ? "cut short" : "") + "</td></tr>";
    };
    for (const Chunk& chunk : file.chunks) {
        const auto d = marks.chunks.find(chunk.id);
        row(chunk, d == marks.chunks.end() || d->second->change == Change::Removed ? nullptr : d->second);
    }
    if (oldFile != nullptr)
        for (const Chunk& chunk : oldFile->chunks) {
            const auto d = marks.chunks.find(chunk.id);
            if (d != marks.chunks.end() && d->second->change == Change::Removed)
                row(chunk, d->second);
        }
    out += "</tbody></table></section>";
}

std::string Head(const std::string& title)
{
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta name=\"generator\" content=\"scry 1.0\">"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
           "<title>" +
           title + "</title><style>" + Style + "</style></head><body>";
}

std::string Counts(const FileModel& file)
{
    std::size_t programBanks = 0, combiBanks = 0, used = 0, setLists = 0;
    for (const Bank& bank : file.banks) {
        programBanks += bank.kind == Kind::PRG1;
        combiBanks += bank.kind == Kind::CMB1;
        setLists += bank.setLists.size();
        for (const SetList& list : bank.setLists)
            used += static_cast<std::size_t>(
                std::count_if(list.slots.begin(), list.slots.end(), [](const Slot& s) { return s.used; }));
    }
    return "<nav aria-label=\"Contents\"><ul><li><a href=\"#setlists\">" + std::to_string(setLists) +
           " set lists</a> (" + std::to_string(used) + " slots used)</li><li><a href=\"#programs\">" +
           std::to_string(programBanks) + " program banks</a></li><li><a href=\"#combis\">" +
           std::to_string(combiBanks) +
           " combination banks</a></li><li><a href=\"#twins\">Same bytes twice</a></li>"
           "<li><a href=\"#chunks\">" +
           std::to_string(file.chunks.size()) +
           " chunks</a> (drum kits, wave "
           "sequences, arpeggios, global settings and the rest)</li></ul></nav>";
}

std::string Facts(const FileModel& file)
{
    std::string out =
        "<p class=\"facts\">" + Thousands(file.size) + " bytes \xC2\xB7 " + FormatName(file.formatCode) + " format</p>";
    if (!file.problems.empty()) {
        out += "<ul class=\"problems\">";
        for (const std::string& problem : file.problems)
            out += "<li>Problem: " + Esc(problem) + "</li>";
        out += "</ul>";
    }
    return out;
}

const std::string SearchBox = "<p class=\"search\" hidden><label for=\"q\">Search names</label> "
                              "<input id=\"q\" type=\"search\" autocomplete=\"off\" hidden> "
                              "<output id=\"count\" for=\"q\" aria-live=\"polite\"></output></p>";

std::string Tail() { return std::string("<script>") + Script + "</script></body></html>\n"; }

}   // namespace

std::string HtmlPage(const FileModel& file)
{
    std::string out = Head(Esc(file.name) + " \xE2\x80\x93 scry");
    out.reserve(1 << 20);
    const Marks none;
    out += "<header><h1>" + Esc(file.name) + "</h1>" + Facts(file) + Counts(file) + SearchBox + "</header><main>";
    WriteSetLists(out, file, nullptr, none);
    WriteBanks(out, file, Kind::PRG1, none, false);
    WriteBanks(out, file, Kind::CMB1, none, false);
    WriteTwins(out, file);
    WriteChunks(out, file, nullptr, none);
    return out + "</main>" + Tail();
}

std::string HtmlComparison(const FileModel& oldFile, const FileModel& newFile)
{
    const std::vector<Difference> differences = Differences(oldFile, newFile);
    Marks marks;
    for (const Difference& d : differences) {
        switch (d.place) {
        case Place::SetList: marks.setLists[d.setList].push_back(&d); break;
        case Place::Slot: marks.slots[{d.setList, d.slot}] = &d; break;
        case Place::Record: marks.records[{d.kind, d.bank, d.number}] = &d; break;
        case Place::Bank: marks.banks[{d.kind, d.bank}] = &d; break;
        case Place::Chunk: marks.chunks[d.chunk] = &d; break;
        case Place::SetListBank: break;
        }
    }
    std::string out = Head(Esc(oldFile.name) + " \xE2\x86\x92 " + Esc(newFile.name) + " \xE2\x80\x93 scry");
    out.reserve(1 << 20);
    out += "<header><h1>" + Esc(oldFile.name) + " \xE2\x86\x92 " + Esc(newFile.name) + "</h1>";
    out += "<p class=\"facts\">OLD: " + Esc(oldFile.name) + ", " + Thousands(oldFile.size) +
           " bytes \xC2\xB7 NEW: " + Esc(newFile.name) + ", " + Thousands(newFile.size) + " bytes</p>";
    out += "<p class=\"summary\"><strong>" +
           (differences.empty() ? std::string("The files hold the same records and chunks.")
                                : Esc(DiffSummary(CountOf(differences)))) +
           "</strong></p>";
    out += "<ul class=\"legend\" aria-label=\"Marks\">";
    for (Change change :
         {Change::Renamed, Change::Changed, Change::Moved, Change::Added, Change::Removed, Change::Settings}) {
        Difference sample;
        sample.change = change;
        out += "<li>" + Mark(&sample) + "</li>";
    }
    out += "</ul>";
    if (!differences.empty()) {
        out += "<details><summary>Every difference, as scry diff writes it</summary><ol class=\"differences\">";
        for (const Difference& d : differences)
            out += "<li>" + Mark(&d) + Esc(d.line) + "</li>";
        out += "</ol></details>";
        // Banks that only OLD holds have no place in NEW to be marked in.
        for (const Difference& d : differences)
            if (d.place == Place::Bank && d.change == Change::Removed)
                out += "<p>" + Mark(&d) + Esc(d.line) + "</p>";
    }
    out += Counts(newFile) + SearchBox + "</header>";
    out += "<input type=\"checkbox\" id=\"only\"><label for=\"only\">Differences only</label><main>";
    WriteSetLists(out, newFile, &oldFile, marks);
    WriteBanks(out, newFile, Kind::PRG1, marks, true);
    WriteBanks(out, newFile, Kind::CMB1, marks, true);
    WriteChunks(out, newFile, &oldFile, marks);
    return out + "</main>" + Tail();
}

}   // namespace scry
