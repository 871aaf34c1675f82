#pragma once

#include <QString>

#include <initializer_list>
#include <utility>

// Every statement the program issues, character for character: doubled and trailing blanks are
// part of them. Each %s is filled, in order, by Sql::Format.
// clang-format off
namespace SqlTemplate {
inline constexpr char16_t LoadGroups[] = u"select SelfIndex,ParentIndex,TypeName from %s  order by SelfIndex asc";
inline constexpr char16_t AddGroup[] = u"insert into %s(SelfIndex,ParentIndex,TypeName) values (%s,%s,'%s')";
inline constexpr char16_t RenameGroup[] = u"update %s set TypeName='%s' where SelfIndex=%s ";
inline constexpr char16_t DeleteGroupSelf[] = u"delete from %s where selfIndex=%s ";
inline constexpr char16_t DeleteGroupChildren[] = u"delete from %s where ParentIndex=%s ";

inline constexpr char16_t ListAddresses[] = u"select ID,IEName as 标题,Remark as 备注,IEUrl as 网址 from IE  ";
inline constexpr char16_t ListAddressesOfType[] = u" where TypeID=%s ";
inline constexpr char16_t InsertAddress[] = u"Insert into IE(TypeID,IEUrl,IEName,ReMark)  values(%s,'%s','%s','%s') ";
inline constexpr char16_t LoadAddress[] = u"select * from IE where ID=%s ";
inline constexpr char16_t LookupTypeName[] = u"select TypeName from IEType where Selfindex=%s ";
inline constexpr char16_t UpdateAddress[] = u"update IE set TypeID=%s,IEUrl='%s',IEName='%s',ReMark='%s' where ID=%s  ";
inline constexpr char16_t DeleteAddress[] = u"delete from IE where ID=%s ";
inline constexpr char16_t DeleteAddressesOfType[] = u"delete from IE where TypeID=%s ";
inline constexpr char16_t CountAddressesOfType[] = u"select count(ID) from IE where TypeID=%s";
inline constexpr char16_t AllAddresses[] = u"select ID,TypeID,IEUrl,IEName,ReMark from IE order by ID";
inline constexpr char16_t AddressUrls[] = u"select IEUrl from IE";
inline constexpr char16_t FindAddress[] = u"select TypeID from IE where IEUrl='%s' order by ID";

inline constexpr char16_t NoteExists[] = u"select count(TypeID) from NoteBook where TypeID= %s ";
// A note with some text, as opposed to a row left empty.
inline constexpr char16_t NoteWithText[] =
    u"select count(TypeID) from NoteBook where TypeID=%s and length(ReMark)>0";
inline constexpr char16_t LoadNote[] = u"select * from NoteBook where TypeID=%s ";
inline constexpr char16_t AddNote[] = u"select * from NoteBook where 1<> 1 ";
inline constexpr char16_t UpdateNote[] = u"select * from NoteBook where TypeId=%s";
inline constexpr char16_t DeleteNote[] = u"delete from NoteBook where TypeID=%s";
inline constexpr char16_t AllNotes[] = u"select * from NoteBook";

inline constexpr char16_t LastNoteRow[] = u"select max(rowid) from NoteBook";
inline constexpr char16_t SearchNotes[] = u"select rowid,TypeID,ReMark from NoteBook where rowid>%s and rowid<=%s and ReMark like '%s' escape '\\' order by rowid";
inline constexpr char16_t LastAddressId[] = u"select max(ID) from IE";
inline constexpr char16_t SearchAddresses[] = u"select ID,TypeID,IEUrl,IEName,ReMark from IE where ID>%s and ID<=%s and (IEName like '%s' escape '\\' or IEUrl like '%s' escape '\\' or ReMark like '%s' escape '\\') order by ID";

inline constexpr char16_t LoadConfig[] = u"select * from SysSet";
inline constexpr char16_t SaveConfig[] = u"update SysSet set bPass='%s',[PassWord]='%s' ";

} // namespace SqlTemplate
// clang-format on

// The delimiter that joins the statements of one batch.
inline constexpr char16_t BatchDelimiter[] = u"@#@";

namespace Sql {

// One value for a template. It can only be made by the functions below, so every text reaches a
// statement through the one quoting function.
class TArg
{
public:
    const QString& Text() const { return FText; }

private:
    explicit TArg(QString text) : FText(std::move(text)) {}
    QString FText;
    friend TArg Number(qint64);
    friend TArg Quoted(const QString&);
    friend TArg Name(const QString&);
    friend TArg Key(const QString&);
};

// A number in decimal, without quotes.
TArg Number(qint64 value);

// The quoting function: the text for between a template's single quotes, such that the literal
// reads back exactly as typed. Quotes are doubled; the batch delimiter and NUL characters are
// kept out of the statement text by splitting the literal into concatenated pieces.
TArg Quoted(const QString& text);

// A table name; only letters, digits and underscores are accepted.
TArg Name(const QString& identifier);

// A record or group number handed around as decimal text; anything else is refused.
TArg Key(const QString& decimalText);

// Fills each %s of the template, left to right, with the next value. Inserted values are never
// scanned again, so a text holding "%s" stays as it is.
QString Format(const char16_t* sqlTemplate, std::initializer_list<TArg> args);

// The statement as it may be written to the log: the login password of a settings statement,
// the last literal of the statement, reads "******"; everything else stays as it is.
QString WithoutPassword(const QString& statement);

} // namespace Sql
