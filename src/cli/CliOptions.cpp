#include "cli/CliOptions.h"

#include "compare/act/SyncPlan.h"

#include <algorithm>
#include <string_view>

namespace {
// The plans' names, as a message lists them: "update-2、update-1、...".
QString PlanNames()
{
    QStringList names;
    for (const PlanInfo& p : kPlans)
        names << QString::fromUtf16(p.name);
    return names.join(QStringLiteral("、"));
}

// The help before its options and after them.
const char* const kHelpHead =
    "使い方: fldcmpr-cli [ｵﾌﾟｼｮﾝ...] [--] ﾌｫﾙﾀﾞ1 ﾌｫﾙﾀﾞ2\n"
    "\n"
    "ﾌｫﾙﾀﾞ1 の下の各ﾌｧｲﾙを、ﾌｫﾙﾀﾞ2 の下の同じ相対ﾌｫﾙﾀﾞと名前(大文字と小文字は\n"
    "区別しない)のﾌｧｲﾙと比較し、表示ﾓｰﾄﾞの行を順に1行ずつ UTF-8 で出力します。\n"
    "比較結果ﾌｧｲﾙには、--store か --db を指定したときだけ書き込みます。\n"
    "\n"
    "比較ｺｰﾄﾞ:\n"
    "  1-*  ﾌｫﾙﾀﾞ1 にだけある      2-*  ﾌｫﾙﾀﾞ2 にだけある\n"
    "  1=2  更新日時が同じ(分まで) 1>2  ﾌｫﾙﾀﾞ1 の方が新しい  2>1  ﾌｫﾙﾀﾞ2 の方が新しい\n"
    "  1≠2  更新日時は同じだがｻｲｽﾞか内容が違う(--size、--content のとき)\n"
    "\n"
    "ｵﾌﾟｼｮﾝ:\n";
const char* const kHelpTail =
    "\n"
    "ﾌｫﾙﾀﾞへのﾘﾝｸはたどりますが、実際のﾌｫﾙﾀﾞは片側につき1度だけ、最初に\n"
    "たどり着いたﾊﾟｽで調べます(ﾙｰﾌﾟしても終わり、時間はﾌｧｲﾙ数に比例します)。\n"
    "ﾌｫﾙﾀﾞ1 や ﾌｫﾙﾀﾞ2 の下で読めないﾌｫﾙﾀﾞやﾌｧｲﾙは除いて比較を続け、\n"
    "\"fldcmpr-cli: 読めないため除きました: ﾊﾟｽ (理由)\" と標準ｴﾗｰ出力に書きます。\n"
    "\n"
    "終了ｽﾃｰﾀｽ (diff と同じ):\n"
    "  0  違いがない(すべての行が 1=2)\n"
    "  1  違いがある\n"
    "  2  問題があった: 引数の誤り、ﾌｫﾙﾀﾞがない・読めない、比較結果ﾌｧｲﾙの\n"
    "     ｴﾗｰ、出力に書けない、または読めないﾌｫﾙﾀﾞやﾌｧｲﾙがあった(その場合も\n"
    "     行は出力します)\n";
const char* const kHint = "使い方: fldcmpr-cli [ｵﾌﾟｼｮﾝ...] [--] ﾌｫﾙﾀﾞ1 ﾌｫﾙﾀﾞ2 (詳しくは fldcmpr-cli --help)\n";

QString Bad(const QString& what, const QString& arg) { return what + QStringLiteral(": ") + arg; }

// A file name a value must give.
QString NeedName(const char* option, const QString& v)
{
    if (v.isEmpty())
        throw UsageError(QLatin1String(option) + QStringLiteral(" にﾌｧｲﾙ名がありません"));
    return v;
}

// Each option once, in the order of --help. An option with a value is
// given as "--name VALUE" or "--name=VALUE"; its setter checks the value.
const CliOption kOptions[] = {
    {.names = {"--mode"},
     .value = "0|1|2",
     .set =
         [](CliOptions& o, const QString& v) {
             if (v != u"0" && v != u"1" && v != u"2")
                 throw UsageError(Bad(QStringLiteral("--mode には 0、1、2 のどれかを指定して下さい"), v));
             o.mode = DispMode(v.toInt());
         },
     .help = "0: すべての行(既定)  1: 1=2 以外の行  2: 1>2、2>1、1≠2 の行"},
    {.names = {"--format"},
     .value = "tsv|csv|json",
     .set =
         [](CliOptions& o, const QString& v) {
             if (v != u"tsv" && v != u"csv" && v != u"json")
                 throw UsageError(Bad(QStringLiteral("--format には tsv、csv、json のどれかを指定して下さい"), v));
             o.format = v == u"tsv" ? OutFormat::Tsv : v == u"csv" ? OutFormat::Csv : OutFormat::Json;
         },
     .help = "\n"
             "tsv (既定): ﾊﾟｽ、ﾌｧｲﾙ名、拡張子、比較、ﾌｫﾙﾀﾞ1 ｻｲｽﾞ、\n"
             "  ﾌｫﾙﾀﾞ1 更新日、ﾌｫﾙﾀﾞ2 ｻｲｽﾞ、ﾌｫﾙﾀﾞ2 更新日 の8項目をﾀﾌﾞで\n"
             "  区切った1行。項目中の \\ ﾀﾌﾞ 改行 復帰 は \\\\ \\t \\n \\r、\n"
             "  UTF-8 でないﾊﾞｲﾄは \\xHH と書きます。\n"
             "csv: 同じ8項目を RFC 4180 の形で(ｶﾝﾏ区切り、CR LF、\n"
             "  ｶﾝﾏ・\"・改行を含む項目は \" で囲む)。UTF-8 でないﾊﾞｲﾄは \\xHH。\n"
             "json: 1行に1つの JSON ｵﾌﾞｼﾞｪｸﾄ。キーは folder(相対ﾌｫﾙﾀﾞ)、\n"
             "  name、code、size1、time1、epoch1、size2、time2、epoch2。\n"
             "  size はﾊﾞｲﾄ数、time はｵﾌｾｯﾄ付きの ISO 8601 の地方時、\n"
             "  epoch は1970年からの秒数で、ﾌｧｲﾙのない側は null。\n"
             "  名前が UTF-8 でないときは folder/name に \\xHH と書き、\n"
             "  元のﾊﾞｲﾄを16進で folder_bytes/name_bytes に加えます。"},
    // the criteria: the stronger of those given
    {.names = {"--size"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.rule.criterion = std::max(o.rule.criterion, CmprRule::TimeSize); },
     .help = "更新日時が同じ(許容差の内)でもｻｲｽﾞが違えば 1≠2 とする"},
    {.names = {"--content"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.rule.criterion = std::max(o.rule.criterion, CmprRule::Content); },
     .help = "更新日時が同じ(許容差の内)でも内容が違えば 1≠2 とする(ｻｲｽﾞが\n"
             "違えば読まずに 1≠2。同じｻｲｽﾞの組だけ内容を比べます)"},
    {.names = {"--content-only"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.rule.criterion = CmprRule::ContentOnly; },
     .help = "内容だけで比べる: 内容が同じなら更新日時にかかわらず 1=2、違えば\n"
             "更新日時(ﾅﾉ秒まで。許容差は使い、分までの比較はしません)で 1>2 か\n"
             "2>1、日時が同じなら 1≠2(ｻｲｽﾞが違えば読みません)"},
    {.names = {"--moves"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.rule.moves = true; },
     .help = "片側にだけあるﾌｧｲﾙを、もう片側にだけある同じｻｲｽﾞ・同じ内容のﾌｧｲﾙと\n"
             "組にして 1↔2 の1行にする(移動･名前の変更。ﾌｫﾙﾀﾞ2の場所を tsv、csv\n"
             "では最後の項目に、json では folder2、name2 に書きます)"},
    {.names = {"--no-cache"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.noCache = true; },
     .help = "--content、--content-only、--moves で、ﾀﾞｲｼﾞｪｽﾄのｷｬｯｼｭを使わず、\n"
             "読むべきﾌｧｲﾙをすべて読む(ｷｬｯｼｭにも書きません)"},
    // the tolerances: --ignore-hours, which includes 2 s, wins over --tolerance
    {.names = {"--tolerance"},
     .value = "0|2s",
     .set =
         [](CliOptions& o, const QString& v) {
             if (v != u"0" && v != u"2s")
                 throw UsageError(Bad(QStringLiteral("--tolerance には 0 か 2s を指定して下さい"), v));
             if (o.rule.tolerance != CmprRule::WholeHours)
                 o.rule.tolerance = v == u"2s" ? CmprRule::TwoSeconds : CmprRule::None;
         },
     .help = "2s: 更新日時の2秒までの違いを同じとみなす(FAT、exFAT 向け)"},
    {.names = {"--ignore-hours"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.rule.tolerance = CmprRule::WholeHours; },
     .help = "2秒に加え、ちょうど1時間・2時間(±2秒)の違いも同じとみなす\n"
             "(ﾀｲﾑｿﾞｰﾝや夏時間をまたいだﾃﾞｨｽｸ向け)"},
    {.names = {"--threads"},
     .value = "N",
     .set =
         [](CliOptions& o, const QString& v) {
             bool ok = false;
             const int n = v.toInt(&ok);
             if (!ok || n < 1 || n > 64)
                 throw UsageError(Bad(QStringLiteral("--threads には 1 から 64 の数を指定して下さい"), v));
             o.walk.readers = n;
         },
     .help = "片側につき同時に読むﾌｫﾙﾀﾞの数(1 から 64。既定: CPU のｺｱ数の\n"
             "2倍、2 から 8)。1 のときは比較結果ﾌｧｲﾙに書かないときの行の\n"
             "書き出しも1つのｽﾚｯﾄﾞで行う"},
    {.names = {"--header"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.header = true; },
     .help = "tsv と csv の先頭に見出しの行を加える"},
    {.names = {"--bytes"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.bytes = true; },
     .help = "tsv と csv のｻｲｽﾞを桁区切りなしのﾊﾞｲﾄ数で書く(0 ﾊﾞｲﾄは 0、\n"
             "ﾌｧｲﾙのない側は空)"},
    {.names = {"--bom"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.bom = true; },
     .help = "csv の先頭に BOM を付ける(表計算ｿﾌﾄ向け)"},
    {.names = {"--summary"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.summary = true; },
     .help = "比較ｺｰﾄﾞごとの件数、行数、読めなかったﾌｫﾙﾀﾞとﾌｧｲﾙの数、\n"
             "2つのﾌｫﾙﾀﾞ(ﾊﾟﾀｰﾝを指定したときは除いたﾌｫﾙﾀﾞとﾌｧｲﾙの数も)\n"
             "を標準ｴﾗｰ出力に書く(json では最後の\n"
             "{\"summary\":...} の行として標準出力に)"},
    {.names = {"-q", "--quiet"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.quiet = true; },
     .help = "行を出力しない(終了ｽﾃｰﾀｽだけ)"},
    {.names = {"--exclude"},
     .value = "PATTERNS",
     .set = [](CliOptions& o, const QString& v) { o.exclude << v; },
     .help = "比較から除くﾌｧｲﾙとﾌｫﾙﾀﾞの名前のﾊﾟﾀｰﾝ(空白かｶﾝﾏで区切って\n"
             "いくつでも。何度でも指定できます)。? 任意の1文字、* 任意の\n"
             "文字列、# 数字1文字、[abc] [a-f] [!abc] 文字の組。大文字と\n"
             "小文字は区別しません。/ で終わるﾊﾟﾀｰﾝはﾌｫﾙﾀﾞだけ、途中に /\n"
             "を含むﾊﾟﾀｰﾝは比較するﾌｫﾙﾀﾞからの相対ﾊﾟｽに当てます(* は / も\n"
             "含みます)。除いたﾌｫﾙﾀﾞは開きもしません"},
    {.names = {"--exclude-from"},
     .value = "FILE",
     .set = [](CliOptions& o, const QString& v) { o.excludeFrom << NeedName("--exclude-from", v); },
     .help = "除くﾊﾟﾀｰﾝを1行に1つ書いたﾌｧｲﾙ(空の行と # で始まる行は\n"
             "読み飛ばします)"},
    {.names = {"--include"},
     .value = "PATTERNS",
     .set = [](CliOptions& o, const QString& v) { o.include << v; },
     .help = "この名前のﾌｧｲﾙだけを比較する(ﾌｫﾙﾀﾞはすべて調べます)"},
    {.names = {"--sync"},
     .value = "PLAN",
     .set =
         [](CliOptions& o, const QString& v) {
             o.sync = PlanOf(v);
             if (!o.sync)
                 throw UsageError(Bad(QStringLiteral("--sync には %1 のどれかを指定して下さい").arg(PlanNames()), v));
         },
     .help = "比較結果から作る作業の一覧を出力する(何も変えません)。PLAN は\n"
             "update-2 (ﾌｫﾙﾀﾞ1にだけあるものと新しい方をﾌｫﾙﾀﾞ2へｺﾋﾟｰ)、\n"
             "update-1 (その逆)、update-both (新しい方を他方へ)、\n"
             "mirror-2 (ﾌｫﾙﾀﾞ2をﾌｫﾙﾀﾞ1と同じにする: update-2 に加え 2>1 と\n"
             "1≠2 をﾌｫﾙﾀﾞ1のもので置き換え、ﾌｫﾙﾀﾞ2にだけあるﾌｧｲﾙとﾌｫﾙﾀﾞを\n"
             "ごみ箱へ)、mirror-1 (その逆)。更新日時(ﾅﾉ秒まで)とｻｲｽﾞで決め、\n"
             "日時が同じで中身が違うものは update では conflict として\n"
             "示すだけです。1行に1つ、ﾀﾌﾞ区切りで copy|replace|trash|mkdir|\n"
             "trash-folder|conflict|move、変える側 (1 か 2)、相対ﾊﾟｽ、ﾊﾞｲﾄ数\n"
             "(move は移動先のﾊﾟｽ、0、移動元のﾊﾟｽ。--moves のときだけ)。\n"
             "一覧が空なら 0、空でなければ 1、一方のﾌｫﾙﾀﾞがもう一方の中に\n"
             "あるときや読めなかった所があるときは 2 で終わります。\n"
             "比較結果ﾌｧｲﾙには書きません"},
    {.names = {"--apply"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.apply = true; },
     .help = "--sync の一覧を実行する。各ﾌｧｲﾙは比較の時のままか直前に確かめ、\n"
             "一時ﾌｧｲﾙに書いてから置き、置き換えたﾌｧｲﾙと除くものはごみ箱へ\n"
             "移します。行った作業を出力し、すべてできれば 0、できなかった\n"
             "作業があれば(標準ｴﾗｰ出力に理由) 2、SIGINT・SIGTERM・SIGHUP で\n"
             "止めたときは 128 + ｼｸﾞﾅﾙ番号で終わります"},
    {.names = {"--store"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.store = true; },
     .help = "ｳｨﾝﾄﾞｳと同じ比較結果ﾌｧｲﾙに書く(このﾌﾟﾛｸﾞﾗﾑと同じ場所の\n"
             "usData ﾌｫﾙﾀﾞの Cmpr.mdb、そこに書けなければ ~/.local/share/\n"
             "FldCmpr/usData の Cmpr.mdb。なければ作ります。下に今の場所を\n"
             "書きます)"},
    {.names = {"--db"},
     .value = "FILE",
     .set = [](CliOptions& o, const QString& v) { o.db = NeedName("--db", v); },
     .help = "この比較結果ﾌｧｲﾙに書く(なければ作ります)"},
    {.names = {"--no-store"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.noStore = true; },
     .help = "比較結果ﾌｧｲﾙに書かない(既定。以前の版との互換のため)"},
    {.names = {"--version"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.version = true; },
     .help = "版を表示する"},
    {.names = {"-h", "--help"},
     .value = nullptr,
     .set = [](CliOptions& o, const QString&) { o.help = true; },
     .help = "この説明を表示する"},
    {.names = {"--"}, .value = nullptr, .set = nullptr, .help = "以降の引数はｵﾌﾟｼｮﾝでなくﾌｫﾙﾀﾞとして扱う"},
};

// The option of a name, among those with a value or those without.
const CliOption* Find(const QString& name, bool withValue)
{
    for (const CliOption& c : kOptions)
        if ((c.value != nullptr) == withValue)
            for (const char* n : c.names)
                if (n && name == QLatin1String(n))
                    return &c;
    return nullptr;
}

// The help: its options each with its names and value, then its lines
// from the text's column (the first beside the names where they leave room).
std::string HelpText()
{
    constexpr size_t kColumn = 21;
    std::string t = kHelpHead;
    for (const CliOption& c : kOptions) {
        std::string line = "  " + c.Label();
        std::string_view rest = c.help;
        for (bool first = true;; first = false) {
            const size_t end = rest.find('\n');
            const std::string_view text = rest.substr(0, end);
            if (!first)
                line.assign(kColumn, ' ');
            else if (!text.empty())
                line.append(line.size() < kColumn ? kColumn - line.size() : 1, ' ');
            t += line;
            t += text;
            t += '\n';
            if (end == std::string_view::npos)
                break;
            rest.remove_prefix(end + 1);
        }
    }
    return t + kHelpTail;
}

void Check(const CliOptions& o)
{
    if (o.help || o.version)
        return;
    if (o.folders.size() != 2)
        throw UsageError(QStringLiteral("ﾌｫﾙﾀﾞを2つ指定して下さい"));
    if (o.noStore && o.Stores())
        throw UsageError(QStringLiteral("--no-store と --store、--db は一緒に使えません"));
    if (o.store && !o.db.isEmpty())
        throw UsageError(QStringLiteral("--store と --db は一緒に使えません"));
    if (o.format == OutFormat::Json && (o.header || o.bytes))
        throw UsageError(QStringLiteral("--header と --bytes は tsv と csv のｵﾌﾟｼｮﾝです"));
    if (o.bom && o.format != OutFormat::Csv)
        throw UsageError(QStringLiteral("--bom は csv のｵﾌﾟｼｮﾝです"));
    if (o.apply && !o.sync)
        throw UsageError(QStringLiteral("--apply は --sync と一緒に使います"));
    if (o.sync && o.Stores())
        throw UsageError(
            QStringLiteral("--sync と --store、--db は一緒に使えません(--sync は比較結果ﾌｧｲﾙに書きません)"));
}
} // namespace

CliOptions ParseCli(const QStringList& args)
{
    CliOptions o;
    bool options = true;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!options || a == u"-" || !a.startsWith(QLatin1Char('-'))) {
            o.folders.append(a);
            continue;
        }
        if (const CliOption* c = Find(a, false)) {
            if (!c->set) // "--"
                options = false;
            else
                c->set(o, QString());
            continue;
        }
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? a : a.left(eq);
        const CliOption* c = Find(name, true);
        if (!c)
            throw UsageError(Bad(QStringLiteral("知らないｵﾌﾟｼｮﾝです"), a));
        if (eq >= 0) {
            c->set(o, a.mid(eq + 1));
        } else {
            if (i + 1 >= args.size())
                throw UsageError(Bad(QStringLiteral("値がありません"), a));
            c->set(o, args[++i]);
        }
    }
    Check(o);
    return o;
}

std::string CliOption::Label() const
{
    std::string t = names[0];
    if (names[1])
        t = t + ", " + names[1];
    if (value)
        t = t + " " + value;
    return t;
}

std::span<const CliOption> CliOptionTable() { return kOptions; }

const char* CliHelp()
{
    static const std::string help = HelpText();
    return help.c_str();
}
const char* CliUsageHint() { return kHint; }
