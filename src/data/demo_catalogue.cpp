#include "data/demo_catalogue.h"

#include "common/app_error.h"
#include "data/schema.h"
#include "data/sql_helper.h"

#include <QDate>
#include <QList>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <array>

namespace DemoCatalogue {
namespace {

constexpr quint64 Seed = 0x5A4844454D4F3236ULL;   // fixed: the catalogue never changes
constexpr int PublisherCount = 40;

// SplitMix64: small, fast, and the same sequence on every machine and compiler.
class Rng {
public:
    explicit Rng(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        m_state += 0x9E3779B97F4A7C15ULL;
        quint64 z = m_state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 0 ? 0 : int(next() % quint64(n)); }
    int range(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    const QString &pick(const QStringList &list) { return list.at(below(int(list.size()))); }

private:
    quint64 m_state;
};

QStringList words(const char *utf8)
{
    return QString::fromUtf8(utf8).split(u' ', Qt::SkipEmptyParts);
}

struct Subject {
    QString code;        // cno2 and ywbm
    QString name;        // category2 and ywbc
    QString clc;         // start of the library classification code
    QString office;      // editorial office
    QStringList specialties;
    QStringList topics;
    QStringList english; // same order as topics
};

Subject subject(const char *code, const char *name, const char *clc, const char *office,
                const char *specialties, const char *topics)
{
    Subject s{QString::fromLatin1(code), QString::fromUtf8(name), QString::fromLatin1(clc),
              QString::fromUtf8(office), words(specialties), {}, {}};
    for (const QString &pair : QString::fromUtf8(topics).split(u';', Qt::SkipEmptyParts)) {
        const int eq = pair.indexOf(u'=');
        s.topics << pair.left(eq).trimmed();
        s.english << pair.mid(eq + 1).trimmed();
    }
    return s;
}

const QList<Subject> &subjects()
{
    static const QList<Subject> list = {
        subject("01", "公共课", "O1", "基础课编辑室", "理工类各专业 经管类各专业 文科各专业 全校各专业",
                "高等数学=Advanced Mathematics;线性代数=Linear Algebra;"
                "概率论与数理统计=Probability and Statistics;大学物理=College Physics;"
                "大学英语综合教程=College English;大学计算机基础=Fundamentals of Computers;"
                "大学语文=College Chinese;思想道德与法治=Ethics and Law;"
                "中国近现代史纲要=Modern Chinese History;体育与健康=Physical Education and Health;"
                "大学生职业生涯规划=Career Planning;复变函数与积分变换=Complex Functions"),
        subject("02", "计算机", "TP3", "计算机编辑室",
                "计算机科学与技术 软件工程 网络工程 信息安全 数据科学与大数据技术 人工智能",
                "数据结构=Data Structures;操作系统=Operating Systems;计算机网络=Computer Networks;"
                "计算机组成原理=Computer Organization;编译原理=Compiler Principles;"
                "数据库系统概论=Database Systems;C语言程序设计=C Programming;"
                "Java程序设计=Java Programming;Python程序设计=Python Programming;"
                "软件工程导论=Software Engineering;算法设计与分析=Design and Analysis of Algorithms;"
                "人工智能导论=Introduction to Artificial Intelligence;机器学习=Machine Learning;"
                "网络安全技术=Network Security;离散数学=Discrete Mathematics;"
                "Web前端开发技术=Web Front-End Development;"
                "大数据技术原理与应用=Big Data Technology;计算机图形学=Computer Graphics"),
        subject("03", "经济管理", "F2", "经管编辑室",
                "会计学 财务管理 市场营销 工商管理 国际经济与贸易 金融学",
                "管理学原理=Principles of Management;微观经济学=Microeconomics;"
                "宏观经济学=Macroeconomics;基础会计学=Fundamentals of Accounting;"
                "财务管理=Financial Management;市场营销学=Marketing;统计学=Statistics;"
                "计量经济学=Econometrics;国际贸易实务=International Trade Practice;"
                "货币银行学=Money and Banking;组织行为学=Organizational Behavior;"
                "人力资源管理=Human Resource Management;运营管理=Operations Management;"
                "电子商务概论=Introduction to E-Commerce"),
        subject("04", "机械", "TH1", "机械编辑室",
                "机械设计制造及其自动化 车辆工程 材料成型及控制工程 工业设计",
                "机械制图=Mechanical Drawing;理论力学=Theoretical Mechanics;"
                "材料力学=Mechanics of Materials;机械原理=Theory of Machines;"
                "机械设计=Machine Design;工程材料=Engineering Materials;"
                "互换性与测量技术=Interchangeability and Measurement;"
                "液压与气压传动=Hydraulic and Pneumatic Transmission;数控技术=CNC Technology;"
                "机械制造技术基础=Manufacturing Technology;汽车构造=Automobile Construction"),
        subject("05", "电子信息", "TN", "电子信息编辑室",
                "电子信息工程 通信工程 自动化 电气工程及其自动化",
                "电路分析基础=Circuit Analysis;模拟电子技术=Analog Electronics;"
                "数字电子技术=Digital Electronics;信号与系统=Signals and Systems;"
                "通信原理=Principles of Communications;自动控制原理=Automatic Control Theory;"
                "单片机原理及应用=Microcontroller Principles;电机学=Electric Machinery;"
                "电力电子技术=Power Electronics;数字信号处理=Digital Signal Processing;"
                "嵌入式系统设计=Embedded System Design"),
        subject("06", "医学", "R", "医学编辑部", "临床医学 护理学 药学 预防医学",
                "人体解剖学=Human Anatomy;生理学=Physiology;病理学=Pathology;"
                "药理学=Pharmacology;内科学=Internal Medicine;外科学=Surgery;"
                "诊断学=Diagnostics;基础护理学=Fundamentals of Nursing;"
                "医学免疫学=Medical Immunology;生物化学与分子生物学=Biochemistry and Molecular Biology;"
                "预防医学=Preventive Medicine"),
        subject("07", "外语", "H31", "外语编辑部", "英语 日语 商务英语 翻译",
                "综合英语=Integrated English;英语听力教程=English Listening;"
                "英语写作=English Writing;英汉翻译教程=English-Chinese Translation;"
                "高级英语=Advanced English;英美文学选读=Readings in English and American Literature;"
                "基础日语=Basic Japanese;日语阅读=Japanese Reading;"
                "商务英语沟通=Business English Communication;语言学概论=Introduction to Linguistics"),
        subject("08", "法律", "D9", "法律编辑室", "法学 知识产权",
                "法理学=Jurisprudence;宪法学=Constitutional Law;民法学=Civil Law;"
                "刑法学=Criminal Law;行政法与行政诉讼法=Administrative Law;"
                "民事诉讼法学=Civil Procedure;刑事诉讼法学=Criminal Procedure;"
                "经济法=Economic Law;国际法=International Law;知识产权法=Intellectual Property Law"),
        subject("09", "艺术", "J", "艺术编辑室", "美术学 音乐学 视觉传达设计 环境设计",
                "素描基础=Basic Sketching;色彩构成=Color Composition;设计概论=Introduction to Design;"
                "中国美术史=History of Chinese Art;基础乐理=Music Theory;和声学=Harmony;"
                "平面设计基础=Graphic Design;室内设计原理=Interior Design;摄影基础=Photography"),
        subject("10", "土木建筑", "TU", "建筑编辑室",
                "土木工程 建筑学 工程管理 给排水科学与工程",
                "结构力学=Structural Mechanics;土力学=Soil Mechanics;"
                "混凝土结构设计原理=Concrete Structures;钢结构=Steel Structures;"
                "建筑材料=Building Materials;工程测量=Engineering Surveying;"
                "房屋建筑学=Building Construction;建筑施工技术=Construction Technology;"
                "工程项目管理=Project Management;流体力学=Fluid Mechanics"),
        subject("11", "化学化工", "TQ", "化工编辑室", "化学工程与工艺 应用化学 制药工程",
                "无机化学=Inorganic Chemistry;有机化学=Organic Chemistry;"
                "分析化学=Analytical Chemistry;物理化学=Physical Chemistry;"
                "化工原理=Principles of Chemical Engineering;化工热力学=Chemical Thermodynamics;"
                "仪器分析=Instrumental Analysis;化学反应工程=Chemical Reaction Engineering"),
        subject("12", "教育学", "G4", "教育编辑室", "教育学 学前教育 心理学",
                "教育学原理=Principles of Education;教育心理学=Educational Psychology;"
                "普通心理学=General Psychology;学前教育学=Preschool Education;"
                "课程与教学论=Curriculum and Instruction;教育研究方法=Educational Research Methods;"
                "中国教育史=History of Chinese Education;现代教育技术=Educational Technology"),
        subject("13", "农林", "S", "农林编辑室", "农学 园林 动物科学",
                "植物学=Botany;作物栽培学=Crop Cultivation;土壤学=Soil Science;"
                "园林树木学=Landscape Dendrology;植物保护学=Plant Protection;"
                "动物营养学=Animal Nutrition;遗传学=Genetics;农业经济学=Agricultural Economics"),
        subject("14", "文学", "I2", "文科编辑室", "汉语言文学 新闻学",
                "现代汉语=Modern Chinese;古代汉语=Classical Chinese;"
                "中国古代文学=Classical Chinese Literature;"
                "中国现当代文学=Modern Chinese Literature;外国文学=Foreign Literature;"
                "文学理论=Literary Theory;新闻学概论=Introduction to Journalism;写作教程=Writing"),
    };
    return list;
}

struct Supplier {
    QString code;
    QString name;
};

const QList<Supplier> &suppliers()
{
    static const QList<Supplier> list = {
        {QStringLiteral("GH01"), QStringLiteral("北方高校教材发行中心")},
        {QStringLiteral("GH02"), QStringLiteral("华东教材图书供应站")},
        {QStringLiteral("GH03"), QStringLiteral("中南教育图书发行公司")},
        {QStringLiteral("GH04"), QStringLiteral("西部高校图书经销中心")},
    };
    return list;
}

struct Publisher {
    QString code;          // puno, cbbm and the ISBN's publisher part
    QString name;
    QString university;
    int supplier = 0;
    QList<int> subjects;   // indexes into subjects(), ascending
    QList<int> classes;    // indexes into classNames(); the first is always 0
};

const QStringList &classNames()
{
    static const QStringList list = words(
        "国家级规划教材 省级规划教材 精品课程配套教材 新形态教材 双语教材 实验实训教材 获奖教材");
    return list;
}

const QList<Publisher> &publishers()
{
    // Invented presses; the home subject follows the name.
    static const QList<Publisher> list = [] {
        struct PressSeed {
            const char *university;
            int home;
        };
        static const PressSeed seeds[PublisherCount] = {
            {"东海理工大学", 1},   {"西岭大学", 0},       {"北辰工业大学", 3},
            {"南溪师范大学", 11},  {"江淮科技大学", 1},   {"云梦大学", 13},
            {"秦岭农林大学", 12},  {"长白医科大学", 5},   {"珠江财经大学", 2},
            {"渤海交通大学", 4},   {"天府理工大学", 9},   {"洞庭师范大学", 11},
            {"嵩阳大学", 7},       {"钱塘工商大学", 2},   {"太行科技大学", 3},
            {"漓水大学", 8},       {"赣江师范大学", 6},   {"湘云大学", 0},
            {"楚天医科大学", 5},   {"巴山大学", 9},       {"昆仑科技大学", 4},
            {"祁连农业大学", 12},  {"松江大学", 10},      {"雁门理工大学", 1},
            {"岱宗师范大学", 11},  {"青城医药大学", 5},   {"海河财经大学", 2},
            {"汉水大学", 13},      {"沅澧工学院", 3},     {"衡岳师范大学", 6},
            {"九华理工大学", 10},  {"鄱湖大学", 0},       {"武夷科技大学", 1},
            {"峨眉外国语大学", 6}, {"庐峰大学", 7},       {"天山工业大学", 4},
            {"丝路经贸大学", 2},   {"长江航运大学", 9},   {"滇池大学", 8},
            {"紫金理工大学", 1},
        };
        QList<Publisher> out;
        for (int i = 0; i < PublisherCount; ++i) {
            Rng rng(Seed ^ (0x100u + quint64(i)));
            Publisher p;
            p.code = QString::number(5601 + i * 7);
            p.university = QString::fromUtf8(seeds[i].university);
            p.name = p.university + QStringLiteral("出版社");
            p.supplier = i % int(suppliers().size());
            p.subjects << seeds[i].home;
            const int wanted = rng.range(5, 8);
            while (p.subjects.size() < wanted) {
                const int s = rng.below(int(subjects().size()));
                if (!p.subjects.contains(s))
                    p.subjects << s;
            }
            std::sort(p.subjects.begin(), p.subjects.end());
            p.classes << 0;
            const int classes = rng.range(4, int(classNames().size()));
            while (p.classes.size() < classes) {
                const int c = rng.range(1, int(classNames().size()) - 1);
                if (!p.classes.contains(c))
                    p.classes << c;
            }
            out << p;
        }
        return out;
    }();
    return list;
}

QString classId(const Publisher &p, int classIndex)
{
    return p.code + QStringLiteral("%1").arg(classIndex + 1, 2, 10, QLatin1Char('0'));
}

const QStringList &surnames()
{
    static const QStringList list = words(
        "王 李 张 刘 陈 杨 赵 黄 周 吴 徐 孙 胡 朱 高 林 何 郭 马 罗 梁 宋 郑 谢 韩 唐 冯 于 董 "
        "萧 程 曹 袁 邓 许 傅 沈 曾 彭 吕 苏 卢 蒋 蔡 贾 丁 魏 薛 叶 阎 欧阳 司马");
    return list;
}

const QStringList &givenNames()
{
    static const QStringList list = words(
        "伟 芳 娜 敏 静 丽 强 磊 军 洋 勇 艳 杰 娟 涛 明 超 秀英 华 建华 志强 国平 晓东 海燕 "
        "文博 子涵 雨桐 立新 永刚 红梅 春生 德明 振宇 思远 宏伟 丽华 建国 玉兰 晓明 俊杰 "
        "淑珍 志华 凤英 家豪 静怡 浩然 慧敏 学军 长林 卫东");
    return list;
}

QString personName(Rng &rng)
{
    // One draw a statement: the catalogue is the same whichever order a compiler gives operands.
    const QString given = rng.pick(givenNames());
    return rng.pick(surnames()) + given;
}

QString people(Rng &rng, int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << personName(rng);
    return names.join(QStringLiteral("，"));
}

QString foreignAuthor(Rng &rng)
{
    static const QStringList list = QString::fromUtf8(
        "〔美〕R. 米勒;〔英〕D. 哈里斯;〔德〕K. 施密特;〔日〕山田健一;〔法〕P. 杜邦;"
        "〔美〕L. 卡特;〔加〕M. 布朗;〔澳〕J. 威尔逊").split(u';');
    return rng.pick(list);
}

struct Format {
    const char *kb;
    const char *paper;
    const char *length;
    const char *width;
    int pagesPerSheet;
    double standardFactor;
};

const std::array<Format, 6> formats = {{
    {"16开", "787×1092 1/16", "260", "185", 16, 1.0},
    {"大16开", "889×1194 1/16", "285", "210", 16, 1.236},
    {"32开", "850×1168 1/32", "203", "140", 32, 0.578},
    {"国际16开", "880×1230 1/16", "297", "210", 16, 1.259},
    {"B5", "720×1000 1/16", "250", "176", 16, 0.872},
    {"A4", "880×1230 1/8", "297", "210", 8, 2.518},
}};

int pickFormat(Rng &rng)
{
    const int n = rng.below(100);
    if (n < 55) return 0;
    if (n < 70) return 1;
    if (n < 80) return 2;
    if (n < 90) return 3;
    if (n < 95) return 4;
    return 5;
}

QString isbnFor(const Publisher &p, int number)
{
    const QString digits = QStringLiteral("9787") + p.code
                           + QStringLiteral("%1").arg(number % 10000, 4, 10, QLatin1Char('0'));
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += digits.at(i).digitValue() * (i % 2 == 0 ? 1 : 3);
    const int check = (10 - sum % 10) % 10;
    return QStringLiteral("978-7-%1-%2-%3").arg(p.code, digits.mid(8, 4)).arg(check);
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString priceText(int cents)
{
    return QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

QVariant nullText()
{
    return QVariant(QMetaType::fromType<QString>());
}

// The columns of debooks that the generator fills, in the order of the values it binds.
const char *const BookColumns =
    "tm,zbh,isbn,sm,fsm,tsh1,tsh2,wwsm,csm,ztbm,ztmc,ywbm,ywbc,zpbm,zpmc,syfw,syzy,nrdj,"
    "ghbm,ghmc,cbbm,cbmc,zz,zz2,yz,chr,bj,bs,yc,kb,zzgg,zdfs,bcys,dwyz,zyz,bzyz,qzs,ys,mbcs,"
    "cbrq,dj,sfxs,jj,fmtp,kz11,hzcb,cbgb,sbny,cip,tjfl,tjmc,ztc,bqtg,csbh,ysrq,cd,kd,hd,zl,"
    "xsdj,fjqk,csm2";
constexpr int BookColumnCount = 62;

const char *const TextColumns = "tm,nrty,zjml,jcpd,zzjj,ckzl,cbsm,qy,sp";
constexpr int TextColumnCount = 9;

struct Title {
    std::array<QVariant, BookColumnCount> book;
    bool hasTexts = false;
    std::array<QVariant, TextColumnCount> texts;
    QStringList classIds;
};

// Long texts. A title that has them gets between MinTextBytes and MaxTextBytes of text
// (UTF-8, as stored) spread over several fields, with paragraphs and lines ended either by a
// bare LF (catalogues made on Linux) or by CR LF (made on Windows), chosen per title.
constexpr int MinTextBytes = 1024;
constexpr int MaxTextBytes = 6144;

// What the sentences of one title's texts speak of.
struct TextSubject {
    QString topic;
    QString specialty;
    QString level;
    QString press;
};

QString fillIn(const QString &pattern, const TextSubject &s)
{
    QString out = pattern;
    out.replace(QStringLiteral("{t}"), s.topic)
        .replace(QStringLiteral("{s}"), s.specialty)
        .replace(QStringLiteral("{l}"), s.level)
        .replace(QStringLiteral("{p}"), s.press);
    return out;
}

QStringList sentences(const char *utf8)
{
    return QString::fromUtf8(utf8).split(u'|', Qt::SkipEmptyParts);
}

const QStringList &synopsisSentences()
{
    static const QStringList list = sentences(
        "本书根据{s}专业人才培养方案和“{t}”课程教学基本要求编写。|"
        "全书以{t}的基本理论为主线，注重理论联系实际，由浅入深地讲解了各部分内容。|"
        "书中配有大量例题和习题，便于读者自学和巩固所学知识。|"
        "本书可作为高等院校{s}及相关专业{l}学生的教材，也可供工程技术人员参考。|"
        "与同类教材相比，本书更加注重基本概念的准确表述和基本方法的系统训练。|"
        "每章开头给出学习目标，章末附有小结、思考题和综合练习。|"
        "书中的案例大多取自生产和科研一线，能够帮助读者理解{t}在实际工作中的作用。|"
        "本书配套提供电子课件、习题参考答案和教学大纲，选用本书的教师可向{p}索取。|"
        "本次修订删去了部分陈旧内容，补充了近年来{t}领域的新进展。|"
        "全书内容精炼、层次清楚、语言通俗，适合{l}层次的课堂教学。|");
    return list;
}

const QStringList &prefaceSentences()
{
    static const QStringList list = sentences(
        "{t}是{s}专业的一门重要专业基础课，在整个课程体系中起着承上启下的作用。|"
        "近年来，随着教学改革的不断深入，{t}课程的教学内容和教学方法都发生了很大变化。|"
        "为了适应新形势下{l}教育的需要，我们在多年教学实践的基础上编写了这本教材。|"
        "编写过程中，我们力求做到概念清楚、推理严谨、重点突出、便于教学。|"
        "考虑到不同学校的课时安排，书中带星号的章节可以根据需要选讲。|"
        "本书的编写得到了{p}和许多同行专家的大力支持，在此一并表示衷心的感谢。|"
        "书中参考了国内外同类教材和有关文献，谨向这些作者致以谢意。|"
        "由于编者水平有限，书中难免存在疏漏和不妥之处，恳请读者批评指正。|");
    return list;
}

const QStringList &excerptSentences()
{
    static const QStringList list = sentences(
        "在开始学习{t}之前，我们先来看一个简单的例子。|"
        "这个例子虽然简单，却包含了{t}中最基本的思想：把复杂的问题分解为若干个容易处理的部分。|"
        "读者可以先自己动手试一试，再对照书中的分析，看看两种做法有什么不同。|"
        "从上面的讨论可以看出，只要抓住了问题的本质，许多看似困难的问题都可以迎刃而解。|"
        "需要注意的是，这一结论只在一定的条件下成立，使用时必须先检验条件是否满足。|"
        "下面我们把这个方法推广到更一般的情形，并给出严格的证明。|"
        "在工程实践中，这类问题十分常见，掌握它的解法对后续课程的学习大有帮助。|");
    return list;
}

const QStringList &reviewSentences()
{
    static const QStringList list = sentences(
        "这是一本结构严谨、特色鲜明的{t}教材。|"
        "作者长期在教学一线工作，对学生学习中的难点体会很深，书中的讲解很有针对性。|"
        "本书例题丰富、习题层次分明，既有基础训练，也有综合提高。|"
        "我校{s}专业已连续三年选用本书，学生反映良好。|"
        "本书适合作为{l}教材，也是一本很好的自学参考书。|");
    return list;
}

const QStringList &sectionNames()
{
    static const QStringList list = sentences(
        "基本概念|基本原理|主要性质|常用方法|典型例题|应用实例|实验与实践|本章小结|习题|"
        "问题的提出|模型的建立|求解方法|结果分析|拓展阅读|思考题|");
    return list;
}

// Paragraphs of sentences until the text holds about `bytes` bytes: sentences are added while
// the text is shorter, so it ends at most one sentence beyond.
QString paragraphs(Rng &rng, const QStringList &pool, const TextSubject &s, int bytes,
                   const QString &lineEnd)
{
    QString text;
    int size = 0;
    int inParagraph = 0;
    int paragraphLength = rng.range(2, 5);
    while (size < bytes) {
        if (inParagraph == paragraphLength) {
            text += lineEnd;
            size += int(lineEnd.size());
            inParagraph = 0;
            paragraphLength = rng.range(2, 5);
        }
        const QString sentence = fillIn(rng.pick(pool), s);
        text += sentence;
        size += int(sentence.toUtf8().size());
        ++inParagraph;
    }
    return text;
}

// Chapters with their sections, one heading a line, until the list holds about `bytes` bytes.
QString chapterList(Rng &rng, const TextSubject &s, int bytes, const QString &lineEnd)
{
    QStringList lines;
    int size = 0;
    auto add = [&](const QString &line) {
        lines << line;
        size += int(line.toUtf8().size() + lineEnd.size());
    };
    add(QStringLiteral("第1章 绪论"));
    for (int chapter = 1; size < bytes || chapter < 6; ++chapter) {
        if (chapter > 1)
            add(QStringLiteral("第%1章 %2%3").arg(chapter).arg(s.topic, rng.pick(sectionNames())));
        const int sections = rng.range(2, 5);
        for (int section = 1; section <= sections; ++section)
            add(QStringLiteral("  %1.%2 %3").arg(chapter).arg(section).arg(rng.pick(sectionNames())));
    }
    add(QStringLiteral("参考文献"));
    return lines.join(lineEnd);
}

Title makeTitle(int index, int zbhWidth)
{
    Rng rng(Seed ^ (quint64(index + 1) * 0xD1B54A32D192ED03ULL));
    const QList<Publisher> &presses = publishers();
    const Publisher &press = presses.at(rng.below(int(presses.size())));
    const Subject &subj = subjects().at(press.subjects.at(rng.below(int(press.subjects.size()))));
    const QString &specialty = rng.pick(subj.specialties);
    const int topicIndex = rng.below(int(subj.topics.size()));
    const QString &topic = subj.topics.at(topicIndex);
    const Supplier &supplier = suppliers().at(press.supplier);

    Title t;
    auto &v = t.book;
    int k = 0;
    auto put = [&](const QVariant &value) { v[k++] = value; };

    const bool planned = rng.chance(10);
    const int edition = rng.range(1, 6);
    QString sm;
    switch (rng.below(14)) {
    case 0: case 1: case 2: sm = topic; break;
    case 3: case 4: case 5: sm = topic + QStringLiteral("教程"); break;
    case 6: sm = topic + QStringLiteral("学习指导与习题解答"); break;
    case 7: sm = topic + QStringLiteral("实验指导"); break;
    case 8: sm = topic + QStringLiteral("案例教程"); break;
    case 9: sm = QStringLiteral("新编") + topic; break;
    case 10: sm = topic + QStringLiteral("简明教程"); break;
    case 11: sm = topic + QStringLiteral("原理与应用"); break;
    case 12: sm = QStringLiteral("实用") + topic; break;
    default: sm = topic + QStringLiteral("基础"); break;
    }
    if (edition > 1)
        sm += QStringLiteral("（第%1版）").arg(edition);

    static const QStringList levels = words("本科 本科 本科 本科 本科 本科 本科 本科 本科 本科 本科 "
                                            "高职高专 高职高专 高职高专 高职高专 研究生 研究生 中职");
    const QString &level = rng.pick(levels);
    const bool vocational = level == u"高职高专" || level == u"中职";

    const int year = rng.range(2016, 2025);
    const int month = rng.range(1, 12);
    const QString cbrq = QStringLiteral("%1-%2").arg(year).arg(twoDigits(month));
    const int firstYear = std::max(2000, year - (edition - 1) * rng.range(2, 4));

    const Format &format = formats.at(pickFormat(rng));
    const int pages = rng.range(8, 42) * 16;
    const int copies = rng.range(2, 30) * 500;
    const double sheets = double(pages) / format.pagesPerSheet;
    const double totalSheets = sheets * copies;
    const int yuan = 8 + pages * rng.range(70, 120) / 1000;
    static const int cents[] = {0, 0, 0, 80, 80, 50, 90, 60, 20, 95, 0, 80};
    const int price = yuan * 100 + cents[rng.below(int(std::size(cents)))];

    // tm: the in-store bar code; zbh: the number in this season's list.
    put(QStringLiteral("20%1").arg(index + 1, 11, 10, QLatin1Char('0')));
    put(QStringLiteral("%1").arg(index + 1, zbhWidth, 10, QLatin1Char('0')));
    put(isbnFor(press, index / PublisherCount + rng.below(40)));
    put(sm);
    static const QStringList subtitles = words(
        "微课版 慕课版 基于案例的方法 理论与实践 附实验指导 双色版 新形态教材 含习题与解答");
    put(rng.chance(18) ? QVariant(rng.pick(subtitles)) : nullText());
    static const QStringList headings = QString::fromUtf8(
        "普通高等教育“十二五”规划教材;高等学校应用型本科规划教材;全国高职高专教育规划教材;"
        "新工科建设系列教材;21世纪高等院校规划教材").split(u';');
    put(planned ? QVariant(QStringLiteral("普通高等教育“十一五”国家级规划教材"))
                : rng.chance(25) ? QVariant(rng.pick(headings)) : nullText());
    put(rng.chance(5) ? QVariant(QStringLiteral("省级精品课程配套教材")) : nullText());
    const bool foreignTitle = rng.chance(subj.code == u"07" ? 45 : 12);
    put(foreignTitle ? QVariant(subj.english.at(topicIndex)) : nullText());
    const bool series = rng.chance(25);
    put(series ? QVariant(QStringLiteral("高等学校%1类专业规划教材").arg(subj.name)) : nullText());
    put(QStringLiteral("%1%2").arg(subj.clc).arg(rng.range(1, 99)));
    put(specialty);
    put(subj.code);
    put(subj.name);
    const bool withDisc = rng.chance(6);
    put(withDisc ? QStringLiteral("02") : QStringLiteral("01"));
    put(withDisc ? QStringLiteral("图书+光盘") : QStringLiteral("图书"));
    put(level);
    put(specialty);
    static const QStringList grades = words("基础 核心 提高 拓展");
    put(rng.pick(grades));
    put(supplier.code);
    put(supplier.name);
    put(press.code);
    put(press.name);
    const bool translated = foreignTitle && rng.chance(30);
    static const QStringList roles = words("主编 主编 主编 编著 编著 著");
    QString authors;
    if (translated) {
        authors = foreignAuthor(rng);
    } else {
        const QString role = rng.pick(roles);
        authors = people(rng, rng.range(1, 3)) + u' ' + role;
    }
    put(authors);
    put(rng.chance(20) ? QVariant(people(rng, rng.range(1, 3)) + QStringLiteral(" 副主编"))
                       : nullText());
    put(translated ? QVariant(people(rng, rng.range(1, 2)) + QStringLiteral(" 译")) : nullText());
    put(rng.chance(40) ? QVariant(personName(rng)) : nullText());
    put(personName(rng));
    put(subj.office);
    static const QStringList impressions = words("1 1 1 1 2 2 3 3 4 5 6 8");
    put(rng.pick(impressions));
    put(QString::fromUtf8(format.kb));
    put(QString::fromUtf8(format.paper));
    static const QStringList bindings = words("平装 平装 平装 平装 平装 平装 平装 平装 平装 精装 活页");
    put(rng.pick(bindings));
    put(copies);
    put(qRound64(sheets * 1000) / 1000.0);
    put(qRound64(totalSheets * 1000) / 1000.0);
    put(qRound64(totalSheets * format.standardFactor * 1000) / 1000.0);
    put(pages * rng.range(90, 140) / 100);
    put(pages);
    put(pages < 250 ? 40 : pages < 400 ? 30 : pages < 550 ? 20 : 15);
    put(cbrq);
    put(price / 100.0);
    put(year >= 2024 ? QStringLiteral("是") : QStringLiteral("否"));
    put(rng.chance(65)
            ? QVariant(QStringLiteral("本书是%1%2专业“%3”课程的教材，全书共%4章，系统介绍了%3的"
                                      "基本概念、基本原理和基本方法，每章附有习题。")
                           .arg(level, specialty, topic)
                           .arg(rng.range(6, 14)))
            : nullText());
    const int coverRoll = rng.below(100);
    put(coverRoll < 50   ? QStringLiteral("cover%1.jpg").arg(twoDigits(rng.range(1, 12)))
        : coverRoll < 53 ? QStringLiteral("missing_%1.jpg").arg(index % 10000, 4, 10, QLatin1Char('0'))
                         : QStringLiteral(""));
    put(planned ? QVariant(QStringLiteral("十一五")) : nullText());
    put(rng.chance(3) ? QVariant(presses.at(rng.below(int(presses.size()))).name) : nullText());
    put(QStringLiteral("中国"));
    put(QStringLiteral("%1-%2").arg(firstYear).arg(twoDigits(rng.range(1, 12))));
    put(QStringLiteral("中国版本图书馆CIP数据核字（%1）第%2号")
            .arg(year)
            .arg(rng.range(1, 299999), 6, 10, QLatin1Char('0')));
    put(vocational ? QStringLiteral("12") : QStringLiteral("11"));
    put(vocational ? QStringLiteral("职业教育教材") : QStringLiteral("高等教育教材"));
    put(topic + (vocational ? QStringLiteral("－高等职业教育－教材")
                            : QStringLiteral("－高等学校－教材")));
    put(translated ? QVariant(QStringLiteral("Northbridge Academic Press")) : nullText());
    put(series ? QVariant(QStringLiteral("CS%1").arg(rng.range(1, 9999), 4, 10, QLatin1Char('0')))
               : nullText());
    put(cbrq);
    put(QString::fromLatin1(format.length));
    put(QString::fromLatin1(format.width));
    put(QString::number(std::max(3, pages / 30)));
    put(QString::number(pages * format.standardFactor * 0.0012 + 0.05, 'f', 2));
    put(priceText(price));
    put(withDisc ? QVariant(QStringLiteral("附光盘1张")) : nullText());
    put(series && rng.chance(20) ? QVariant(QStringLiteral("%1精品课程系列").arg(press.university))
                                 : nullText());
    Q_ASSERT(k == BookColumnCount);

    // Long texts for about a third of the titles, shared out between the fields.
    t.hasTexts = rng.chance(33);
    if (t.hasTexts) {
        const TextSubject about{topic, specialty, level, press.name};
        const QString lineEnd = rng.chance(50) ? QStringLiteral("\r\n") : QStringLiteral("\n");
        // The fields end up to one sentence or heading beyond their share: the target stays
        // far enough under the maximum for that.
        const int budget = rng.range(MinTextBytes, MaxTextBytes - 1536);
        const bool excerpt = rng.chance(70);
        const bool review = rng.chance(50);
        auto share = [budget](int percent) { return budget * percent / 100; };
        auto &x = t.texts;
        x[0] = v[0];
        x[1] = paragraphs(rng, synopsisSentences(), about,
                          share(15 + (excerpt ? 0 : 20) + (review ? 0 : 7)), lineEnd);
        x[2] = chapterList(rng, about, share(30), lineEnd);
        x[3] = excerpt ? QVariant(paragraphs(rng, excerptSentences(), about, share(20), lineEnd))
                       : nullText();
        x[4] = QStringLiteral("%1，%2教授，长期从事%3方向的教学与研究工作，主讲“%4”等课程，"
                              "发表论文%5余篇，主编教材%6部。")
                   .arg(personName(rng), press.university, specialty, topic)
                   .arg(rng.range(2, 9) * 10)
                   .arg(rng.range(2, 8));
        x[5] = rng.chance(10) ? QVariant(QStringLiteral("[1] %1. %2[M]. 北京: %3, %4.")
                                             .arg(personName(rng), topic, press.name)
                                             .arg(rng.range(2005, 2015)))
                              : nullText();
        x[6] = rng.chance(20) ? QVariant(QStringLiteral("本书为%1“%2”配套教材。")
                                             .arg(press.university, classNames().at(
                                                      press.classes.at(rng.below(
                                                          int(press.classes.size()))))))
                              : nullText();
        x[7] = paragraphs(rng, prefaceSentences(), about, share(28), lineEnd) + lineEnd
               + QStringLiteral("编者") + lineEnd + QStringLiteral("%1年%2月").arg(year).arg(month);
        x[8] = review ? QVariant(paragraphs(rng, reviewSentences(), about, share(7), lineEnd))
                      : nullText();
    }

    // Further classifications: planned titles are national planned textbooks.
    if (planned)
        t.classIds << classId(press, 0);
    if (rng.chance(25)) {
        const int c = press.classes.at(rng.range(1, int(press.classes.size()) - 1));
        t.classIds << classId(press, c);
    }
    return t;
}

QString placeholders(int count)
{
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(u',');
}

QSqlQuery prepared(const QSqlDatabase &db, const QString &text)
{
    QSqlQuery q(db);
    if (!q.prepare(text))
        throw AppError(Sql::errorText(q));
    return q;
}

void run(QSqlQuery &q)
{
    if (!q.exec())
        throw AppError(Sql::errorText(q));
}

void insertFixedRows(const QSqlDatabase &db)
{
    for (int pi = 0; pi < publishers().size(); ++pi) {
        const Publisher &p = publishers().at(pi);
        Sql::exec(db, QStringLiteral("insert into publishers (puno,puname,xh) values (?,?,?)"),
                  {p.code, p.name, pi + 1});
        int cno = 0;
        for (int si : p.subjects) {
            const Subject &s = subjects().at(si);
            Sql::exec(db,
                      QStringLiteral("insert into debook_categories2 (pno,cno2,category2,xh) "
                                     "values (?,?,?,?)"),
                      {p.code, s.code, s.name, si + 1});
            for (const QString &specialty : s.specialties)
                Sql::exec(db,
                          QStringLiteral("insert into debook_categories (pno,cno,category) "
                                         "values (?,?,?)"),
                          {p.code, twoDigits(++cno), specialty});
        }
        for (int c : p.classes)
            Sql::exec(db, QStringLiteral("insert into debookotype (id,name,pno) values (?,?,?)"),
                      {classId(p, c), classNames().at(c), p.code});
    }
    if (Sql::scalar(db, QStringLiteral("select count(*) from bookstore")).toInt() == 0)
        Sql::exec(db,
                  QStringLiteral("insert into bookstore (bno,bname,contact,tele,zipcode,address) "
                                 "values (?,?,?,?,?,?)"),
                  {QStringLiteral("0001"), QStringLiteral("江城大学教材供应中心"),
                   QStringLiteral("陈老师"), QStringLiteral("027-87650123"),
                   QStringLiteral("430070"), QStringLiteral("江城市南湖路100号江城大学图书馆一楼")});
}

const QString MarkerName = QStringLiteral("演示目录");
const QString MarkerUser = QStringLiteral("*");

void deleteAll(const QSqlDatabase &db)
{
    DemoCatalogue::removeMarker(db);
    for (const char *table : {"debook2type", "debookotype", "detsnrty", "debooks",
                              "debook_categories", "debook_categories2", "publishers",
                              "bookstore"})
        Sql::exec(db, QStringLiteral("delete from ") + QLatin1String(table));
}

// While a plain SQLite file is filled outside any transaction of the caller, it need not
// wait for the disk after every page: the fill is one transaction that lands whole or not.
class FastSqliteFill {
public:
    explicit FastSqliteFill(const QSqlDatabase &db) : m_db(db)
    {
        if (Sql::engineOf(db) != Sql::Engine::Sqlite || Sql::transactionDepth(db) != 0)
            return;
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("PRAGMA synchronous")) && q.next())
            m_synchronous = q.value(0).toInt();
        q.exec(QStringLiteral("PRAGMA synchronous=OFF"));
        q.exec(QStringLiteral("PRAGMA cache_size=-131072"));
        m_active = true;
    }
    ~FastSqliteFill()
    {
        if (!m_active)
            return;
        QSqlQuery q(m_db);
        q.exec(QStringLiteral("PRAGMA synchronous=%1").arg(m_synchronous));
        q.exec(QStringLiteral("PRAGMA cache_size=-2000"));
    }

private:
    QSqlDatabase m_db;
    bool m_active = false;
    int m_synchronous = 2;
};

} // namespace

QStringList coverNames()
{
    QStringList names;
    for (int i = 1; i <= 12; ++i)
        names << QStringLiteral("cover%1.jpg").arg(twoDigits(i));
    return names;
}

int titleCount(const QSqlDatabase &db)
{
    return Sql::scalar(db, QStringLiteral("select count(*) from debooks")).toInt();
}

void removeMarker(const QSqlDatabase &db)
{
    Sql::exec(db, QStringLiteral("delete from %1 where pname=? and userno=?").arg(Schema::sqlName(db, QStringLiteral("parameter"))),
              {MarkerName, MarkerUser});
}

bool isDemo(const QSqlDatabase &db)
{
    return Sql::scalar(db, QStringLiteral("select count(*) from %1 where pname=? and userno=?")
                               .arg(Schema::sqlName(db, QStringLiteral("parameter"))),
                       {MarkerName, MarkerUser})
               .toInt()
           > 0;
}

void clear(const QSqlDatabase &db)
{
    Sql::Transaction tx(db);
    deleteAll(db);
    tx.commit();
}

void fill(const QSqlDatabase &db, int titles, const Progress &progress, bool replace)
{
    if (titles < 0)
        throw AppError(QStringLiteral("书目数不能为负数"));
    FastSqliteFill fast(db);
    Sql::Transaction tx(db);
    if (replace) {
        deleteAll(db);
    } else if (titleCount(db) > 0
               || Sql::scalar(db, QStringLiteral("select count(*) from publishers")).toInt() > 0) {
        throw AppError(QStringLiteral("数据库中已经有书目数据"));
    }
    insertFixedRows(db);
    removeMarker(db);
    Sql::exec(db, QStringLiteral("insert into %1 (userno,pname,notes,pvalue,idate) values (?,?,?,?,?)")
                      .arg(Schema::sqlName(db, QStringLiteral("parameter"))),
              {MarkerUser, MarkerName, QStringLiteral("zhengding-admin demo"), titles,
               QDate::currentDate().toString(Qt::ISODate)});

    QSqlQuery books = prepared(db, QStringLiteral("insert into debooks (%1) values (%2)")
                                       .arg(QLatin1String(BookColumns),
                                            placeholders(BookColumnCount)));
    QSqlQuery texts = prepared(db, QStringLiteral("insert into detsnrty (%1) values (%2)")
                                       .arg(QLatin1String(TextColumns),
                                            placeholders(TextColumnCount)));
    QSqlQuery links = prepared(db, QStringLiteral("insert into debook2type (bh,cid) values (?,?)"));

    const int zbhWidth = std::max(6, int(QString::number(titles).size()));
    const int step = std::max(1, std::min(5000, titles / 20));
    for (int i = 0; i < titles; ++i) {
        const Title t = makeTitle(i, zbhWidth);
        for (int c = 0; c < BookColumnCount; ++c)
            books.bindValue(c, t.book[c]);
        run(books);
        if (t.hasTexts) {
            for (int c = 0; c < TextColumnCount; ++c)
                texts.bindValue(c, t.texts[c]);
            run(texts);
        }
        for (const QString &id : t.classIds) {
            links.bindValue(0, t.book[0]);
            links.bindValue(1, id);
            run(links);
        }
        if (progress && (i + 1) % step == 0 && i + 1 < titles)
            progress(i + 1, titles);
    }
    books.finish();
    texts.finish();
    links.finish();
    tx.commit();
    if (progress)
        progress(titles, titles);
}

} // namespace DemoCatalogue
