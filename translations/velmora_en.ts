<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Autostart</name>
    <message>
        <source>无法创建文件夹</source>
        <translation>cannot create the folder</translation>
    </message>
</context>
<context>
    <name>BackupCommands</name>
    <message>
        <source>请输入备份文件的密码</source>
        <translation>Enter the password of the backup file</translation>
    </message>
    <message>
        <source>数据文件 (*.bat)|*.bat</source>
        <translation>Data files (*.bat)|*.bat</translation>
    </message>
    <message>
        <source>你确定要恢复数据吗？你做的操作可能会覆盖最新的数据！</source>
        <translation>Are you sure you want to restore the data? This may overwrite your latest data!</translation>
    </message>
    <message>
        <source>文件“%1”已经存在，要替换它吗？</source>
        <translation>The file “%1” already exists. Do you want to replace it?</translation>
    </message>
</context>
<context>
    <name>BookmarkCommands</name>
    <message>
        <source>正在导入书签…</source>
        <translation>Importing bookmarks…</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>导入书签</source>
        <translation>Import Bookmarks</translation>
    </message>
    <message>
        <source>书签文件 (*.html *.htm)|*.html;*.htm</source>
        <translation>Bookmark files (*.html *.htm)|*.html;*.htm</translation>
    </message>
    <message>
        <source>无法打开书签文件：%1</source>
        <translation>Cannot open the bookmark file: %1</translation>
    </message>
    <message>
        <source>无法读取书签文件：%1</source>
        <translation>Cannot read the bookmark file: %1</translation>
    </message>
    <message>
        <source>已导入 %1、%2，跳过 %3</source>
        <translation>Imported %1 and %2, skipped %3</translation>
    </message>
    <message numerus="yes">
        <source>%n 个网址</source>
        <translation>
            <numerusform>%n address</numerusform>
            <numerusform>%n addresses</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 个分组</source>
        <translation>
            <numerusform>%n group</numerusform>
            <numerusform>%n groups</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 个重复网址</source>
        <translation>
            <numerusform>%n duplicate address</numerusform>
            <numerusform>%n duplicate addresses</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>另有 %n 个不是网址的链接（如 javascript:、data:）未导入。</source>
        <translation>
            <numerusform>%n more link that is not a web address (such as javascript: or data:) was not imported.</numerusform>
            <numerusform>%n more links that are not web addresses (such as javascript: or data:) were not imported.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>另有 %n 个文件夹超过 %1 层，其中的网址放在第 %1 层的分组里。</source>
        <translation>
            <numerusform>%n more folder is nested deeper than %1 levels; its addresses were put in the group at level %1.</numerusform>
            <numerusform>%n more folders are nested deeper than %1 levels; their addresses were put in the groups at level %1.</numerusform>
        </translation>
    </message>
    <message>
        <source>没有找到 Firefox 或 Chromium 系列浏览器的书签。
要改为导入浏览器导出的书签文件（HTML）吗？</source>
        <translation>No bookmarks of Firefox or a Chromium-based browser were found.
Do you want to import a bookmark file (HTML) exported by a browser instead?</translation>
    </message>
    <message>
        <source>文件“%1”已经存在，要替换它吗？</source>
        <translation>The file “%1” already exists. Do you want to replace it?</translation>
    </message>
    <message>
        <source>书签文件写入失败：%1</source>
        <translation>Could not write the bookmark file: %1</translation>
    </message>
    <message>
        <source>书签已导出到：%1</source>
        <translation>Bookmarks exported to: %1</translation>
    </message>
</context>
<context>
    <name>BookmarkFile</name>
    <message>
        <source>所选文件不是浏览器导出的书签文件（NETSCAPE-Bookmark-file-1 格式），未导入任何内容。</source>
        <translation>The selected file is not a bookmark file exported by a browser (NETSCAPE-Bookmark-file-1 format). Nothing was imported.</translation>
    </message>
    <message>
        <source>书签文件不完整（可能在中途被截断），未导入任何内容。</source>
        <translation>The bookmark file is incomplete (it may have been cut off). Nothing was imported.</translation>
    </message>
    <message>
        <source>书签文件的编码“%1”无法识别，未导入任何内容。</source>
        <translation>The encoding “%1” of the bookmark file is not recognised. Nothing was imported.</translation>
    </message>
</context>
<context>
    <name>BookmarkImport</name>
    <message>
        <source>分组编号已用完，无法新建分组</source>
        <translation>No group numbers are left; cannot create a new group</translation>
    </message>
</context>
<context>
    <name>BrowserProfiles</name>
    <message>
        <source>无法读取书签：%1
%2
未导入任何内容。</source>
        <translation>Cannot read the bookmarks: %1
%2
Nothing was imported.</translation>
    </message>
    <message>
        <source>文件不存在。</source>
        <translation>The file does not exist.</translation>
    </message>
    <message>
        <source>无法建立临时文件夹：%1</source>
        <translation>Cannot create a temporary folder: %1</translation>
    </message>
    <message>
        <source>无法复制：%1</source>
        <translation>Cannot copy: %1</translation>
    </message>
    <message>
        <source>（这个数据库可能来自过旧或过新的 Firefox 版本）</source>
        <translation> (this database may come from a Firefox version that is too old or too new)</translation>
    </message>
    <message>
        <source>（Firefox 正在写入书签，请关闭 Firefox 后再试）</source>
        <translation> (Firefox is writing its bookmarks; close Firefox and try again)</translation>
    </message>
    <message>
        <source>其中没有 Firefox 的书签根文件夹（这个数据库可能来自过旧或过新的 Firefox 版本）。</source>
        <translation>It holds no Firefox bookmark root folder (this database may come from a Firefox version that is too old or too new).</translation>
    </message>
    <message>
        <source>文件的结构不是 Chromium 书签文件的结构（%1）。</source>
        <translation>The file is not structured like a Chromium bookmark file (%1).</translation>
    </message>
    <message>
        <source>文件不是有效的 JSON：%1</source>
        <translation>The file is not valid JSON: %1</translation>
    </message>
</context>
<context>
    <name>ConflictCopies</name>
    <message numerus="yes">
        <source>发现 %n 个同步冲突副本，是否合并到当前数据？</source>
        <translation>
            <numerusform>Found %n sync conflict copy. Merge it into the current data?</numerusform>
            <numerusform>Found %n sync conflict copies. Merge them into the current data?</numerusform>
        </translation>
    </message>
    <message>
        <source>合并过的副本已移到 %1</source>
        <translation>The merged copies were moved to %1</translation>
    </message>
    <message>
        <source>未能把“%1”移到 %2，它留在原处。</source>
        <translation>Could not move “%1” to %2; it stays where it is.</translation>
    </message>
</context>
<context>
    <name>DataFileCheck</name>
    <message>
        <source>数据文件所在的文件夹“%1”是只读的（%2），程序不能在其中写入。
请让当前用户可以写入这个文件夹，或把 Velmora 和它的数据文件移到可以写入的文件夹中，然后再启动 Velmora。</source>
        <translation>The folder of the data file, “%1”, is read-only (%2): the program cannot write in it.
Make the folder writable for the current user, or move Velmora and its data file to a writable folder, then start Velmora again.</translation>
    </message>
    <message>
        <source>数据文件“%1”不能写入（%2）。
请让当前用户可以读写这个文件（例如去掉它的只读属性），然后再启动 Velmora。</source>
        <translation>The data file “%1” cannot be written (%2).
Make the file readable and writable for the current user (for example, remove its read-only attribute), then start Velmora again.</translation>
    </message>
    <message>
        <source>数据文件的日志文件“%1”不能写入（%2），它可能是另一个用户运行 Velmora 时留下的。
请让当前用户可以读写这个文件，或在没有 Velmora 运行时由它的主人删除它，然后再启动 Velmora。</source>
        <translation>The data file’s journal “%1” cannot be written (%2); another user running Velmora may have left it behind.
Make the file readable and writable for the current user, or have its owner delete it while Velmora is not running, then start Velmora again.</translation>
    </message>
</context>
<context>
    <name>DataFileClaim</name>
    <message>
        <source>Velmora 已在运行</source>
        <translation>Velmora is already running</translation>
    </message>
</context>
<context>
    <name>DataFileMerge</name>
    <message>
        <source>请输入“%1”的密码</source>
        <translation>Enter the password of “%1”</translation>
    </message>
    <message>
        <source>没有输入“%1”的密码，未合并，当前数据没有改变。</source>
        <translation>No password was entered for “%1”: it was not merged, and the current data is unchanged.</translation>
    </message>
    <message>
        <source>无法合并“%1”：%2
%3</source>
        <translation>Cannot merge “%1”: %2
%3</translation>
    </message>
    <message>
        <source>已合并“%1”：其中没有当前数据缺少的内容。</source>
        <translation>Merged “%1”: it holds nothing that the current data lacks.</translation>
    </message>
    <message>
        <source>已合并“%1”：新增 %2 个分组，新增或补全 %3 条笔记，新增 %4 个网址；%5 处两边不同的内容已另存为冲突副本。</source>
        <translation>Merged “%1”: %2 groups added, %3 notes added or completed, %4 addresses added; %5 items that differ on the two sides were kept as conflict copies.</translation>
    </message>
    <message>
        <source>Velmora 数据文件 (*.dat *.bat *.vsync)|*.dat;*.bat;*.vsync|所有文件 (*)|*</source>
        <translation>Velmora data files (*.dat *.bat *.vsync)|*.dat;*.bat;*.vsync|All files (*)|*</translation>
    </message>
    <message>
        <source>“%1”就是当前使用的数据文件，不能合并到它自己。</source>
        <translation>“%1” is the data file in use; it cannot be merged into itself.</translation>
    </message>
</context>
<context>
    <name>DatabaseFile</name>
    <message>
        <source>不是 Velmora 的数据文件，或它用别的密码加密。</source>
        <translation>is not a Velmora data file, or it is encrypted with another password.</translation>
    </message>
    <message>
        <source>已损坏，其中有读不出的部分。</source>
        <translation>is damaged: parts of it cannot be read.</translation>
    </message>
    <message>
        <source>缺少 Velmora 的数据表，不是 Velmora 的数据文件。</source>
        <translation>lacks Velmora’s tables: it is not a Velmora data file.</translation>
    </message>
    <message>
        <source>打不开：它不存在，或当前用户不能读取它。</source>
        <translation>cannot be opened: it does not exist, or the current user may not read it.</translation>
    </message>
    <message>
        <source>正被别的程序使用。</source>
        <translation>is in use by another program.</translation>
    </message>
    <message>
        <source>不能写入。</source>
        <translation>cannot be written.</translation>
    </message>
    <message>
        <source>读写时出错，磁盘可能有问题。</source>
        <translation>failed to read or write; the disk may be faulty.</translation>
    </message>
    <message>
        <source>所在的磁盘已满。</source>
        <translation>is on a disk that is full.</translation>
    </message>
    <message>
        <source>太大，内存不够。</source>
        <translation>is too large for the memory available.</translation>
    </message>
    <message>
        <source>不能作为数据库读取。</source>
        <translation>cannot be read as a database.</translation>
    </message>
</context>
<context>
    <name>DbAccess</name>
    <message>
        <source>数据文件“%1”%2
请把它改名留存，再把“备份”文件夹中的一份副本或你自己的备份改名为 %3 放到它的位置，然后重新启动 Velmora。
%4</source>
        <translation>The data file “%1” %2
Rename it to keep it, put a copy from the “备份” (backup) folder or a backup of your own in its place, renamed to %3, then start Velmora again.
%4</translation>
    </message>
    <message>
        <source>数据文件已锁定</source>
        <translation>The data file is locked</translation>
    </message>
    <message>
        <source>数据库连接已关闭。</source>
        <translation>The database connection is closed.</translation>
    </message>
    <message>
        <source>查询结果不是有效的整数：</source>
        <translation>The query result is not a valid integer: </translation>
    </message>
</context>
<context>
    <name>DbBackup</name>
    <message>
        <source>不是普通文件，而是命名管道</source>
        <translation>is not a regular file but a named pipe</translation>
    </message>
    <message>
        <source>不是普通文件，而是设备</source>
        <translation>is not a regular file but a device</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>is not a regular file</translation>
    </message>
    <message>
        <source>文件是空的（0 字节），不是数据库</source>
        <translation>the file is empty (0 bytes), not a database</translation>
    </message>
    <message>
        <source>打不开。</source>
        <translation>cannot be opened.</translation>
    </message>
    <message>
        <source>不是数据文件。</source>
        <translation>is not a data file.</translation>
    </message>
    <message>
        <source>数据文件所在的磁盘空间不够：恢复要在“%1”中写入 %2 MB，那里只剩 %3 MB。请腾出磁盘空间后再恢复。</source>
        <translation>Not enough space on the data file’s disk: the restore has to write %2 MB in “%1”, where only %3 MB are left. Free some disk space, then restore again.</translation>
    </message>
    <message>
        <source>文件在恢复的过程中被改动了，请再恢复一次</source>
        <translation>the file changed while it was being restored; please restore again</translation>
    </message>
    <message>
        <source>无法锁定</source>
        <translation>cannot be locked</translation>
    </message>
</context>
<context>
    <name>DbGrid</name>
    <message>
        <source>数据集没有打开，无法刷新</source>
        <translation>The data set is not open and cannot be refreshed</translation>
    </message>
</context>
<context>
    <name>DbHint</name>
    <message>
        <source>数据库连接失败！</source>
        <translation>Could not connect to the database!</translation>
    </message>
    <message>
        <source>数据库查询错误，请检查！</source>
        <translation>Database query error, please check!</translation>
    </message>
    <message>
        <source>数据库操作失败！</source>
        <translation>The database operation failed!</translation>
    </message>
    <message>
        <source>数据库备份失败！</source>
        <translation>The database backup failed!</translation>
    </message>
    <message>
        <source>数据库恢复失败！</source>
        <translation>The database restore failed!</translation>
    </message>
    <message>
        <source>数据文件加密失败，仍在使用原来的文件！</source>
        <translation>Encrypting the data file failed; the original file is still in use!</translation>
    </message>
    <message>
        <source>同步数据失败！</source>
        <translation>Syncing the data failed!</translation>
    </message>
</context>
<context>
    <name>DurableFiles</name>
    <message>
        <source>磁盘已满</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>文件夹是只读的，不能在其中写入文件（%1）</source>
        <translation>the folder is read-only; no file can be written in it (%1)</translation>
    </message>
</context>
<context>
    <name>FileKey</name>
    <message>
        <source>无法初始化加密库 libsodium</source>
        <translation>The encryption library libsodium cannot be initialised</translation>
    </message>
    <message>
        <source>数据文件太短，不是加密的数据文件</source>
        <translation>The data file is too short to be an encrypted data file</translation>
    </message>
    <message>
        <source>内存不足，无法由密码算出数据文件的密钥</source>
        <translation>Not enough memory to derive the data file’s key from the password</translation>
    </message>
</context>
<context>
    <name>GridColumns</name>
    <message>
        <source>标题</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Remark</translation>
    </message>
    <message>
        <source>网址</source>
        <translation>Address</translation>
    </message>
</context>
<context>
    <name>GridSet</name>
    <message>
        <source>数据集没有打开，不能排序</source>
        <translation>The data set is not open and cannot be sorted</translation>
    </message>
    <message>
        <source>找不到字段：</source>
        <translation>Field not found: </translation>
    </message>
</context>
<context>
    <name>GroupDialogs</name>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
</context>
<context>
    <name>GroupRows</name>
    <message>
        <source>分组编号已用完，无法新建分组</source>
        <translation>No group numbers are left; no new group can be created</translation>
    </message>
    <message>
        <source>数据文件中表 %1 的 %2 值“%3”不是 32 位范围内的整数，无法读取分组。
可以用“数据恢复”换回一份备份。</source>
        <translation>The %2 value “%3” in table %1 of the data file is not a 32-bit integer; the groups cannot be read.
You can use “Restore Data” to go back to a backup.</translation>
    </message>
</context>
<context>
    <name>Login</name>
    <message>
        <source>先输入密码登录软件</source>
        <translation>Enter the password to log in</translation>
    </message>
    <message>
        <source>数据文件已加密，请输入登录密码</source>
        <translation>The data file is encrypted. Enter the login password.</translation>
    </message>
    <message>
        <source>输入密码解锁 Velmora</source>
        <translation>Enter the password to unlock Velmora</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>详细信息：</source>
        <translation>Details: </translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>没有可以打开网址的浏览器</source>
        <translation>There is no browser that can open the address</translation>
    </message>
</context>
<context>
    <name>NoteExport</name>
    <message>
        <source>根目录</source>
        <translation>Root</translation>
    </message>
    <message>
        <source>未命名</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>无法导出笔记：分组“%1”在第 %2 层，它的文件夹路径会超过系统允许的 %3 字节。没有写入任何文件。
请把笔记导出到路径较短的文件夹，或减少分组的层数后再导出。</source>
        <translation>Cannot export the notes: group “%1” is at level %2, and its folder path would exceed the %3 bytes the system allows. No files were written.
Export the notes to a folder with a shorter path, or reduce the number of group levels, and try again.</translation>
    </message>
    <message numerus="yes">
        <source>导出笔记失败：“%1”无法写入（%2）。
已写入 %n 篇笔记到“%3”，其余的没有导出。</source>
        <translation>
            <numerusform>Exporting the notes failed: “%1” could not be written (%2).
%n note was written to “%3”; the rest were not exported.</numerusform>
            <numerusform>Exporting the notes failed: “%1” could not be written (%2).
%n notes were written to “%3”; the rest were not exported.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>已导出 %n 篇笔记到：</source>
        <translation>
            <numerusform>Exported %n note to: </numerusform>
            <numerusform>Exported %n notes to: </numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PeerMerge</name>
    <message>
        <source>没有同步记录</source>
        <translation>it has no sync records</translation>
    </message>
</context>
<context>
    <name>Prepared</name>
    <message>
        <source>数据库连接已关闭。</source>
        <translation>The database connection is closed.</translation>
    </message>
</context>
<context>
    <name>RecycleBin</name>
    <message>
        <source>回收站中的一项已损坏。</source>
        <translation>An item in the recycle bin is damaged.</translation>
    </message>
    <message>
        <source>删除的内容可在回收站中找回 30 天。</source>
        <translation>What you delete can be recovered from the recycle bin for 30 days.</translation>
    </message>
    <message>
        <source>回收站中已没有这一项。</source>
        <translation>This item is no longer in the recycle bin.</translation>
    </message>
</context>
<context>
    <name>Reencrypt</name>
    <message>
        <source>写出的行数与原文件不同（%1）</source>
        <translation>the rows written differ in number from the original file (%1)</translation>
    </message>
</context>
<context>
    <name>RestoreCheck</name>
    <message>
        <source>备份文件“%1”%2%3</source>
        <translation>The backup file “%1” %2 %3</translation>
    </message>
    <message>
        <source>请选择另一个备份文件。</source>
        <translation>Please choose another backup file.</translation>
    </message>
    <message>
        <source>的表 %1 第 %2 行的 %3 值“%4”不是%5，程序无法读取它。</source>
        <translation>has, in table %1, row %2, a %3 value “%4” that is not %5, so the program cannot read it.</translation>
    </message>
    <message>
        <source>是/否值</source>
        <translation>a yes/no value</translation>
    </message>
    <message>
        <source> 32 位范围内的整数</source>
        <translation>an integer within 32 bits</translation>
    </message>
    <message>
        <source>旁边有它的 WAL 日志文件，其中的改动不在这个文件里。</source>
        <translation>has its WAL journal beside it, holding changes that are not in the file itself.</translation>
    </message>
    <message>
        <source>是未加密的 SQLite 数据库，不是 Velmora 的数据文件。</source>
        <translation>is an unencrypted SQLite database, not a Velmora data file.</translation>
    </message>
    <message>
        <source>的表和索引与 Velmora 的不同，不是 Velmora 的数据文件。</source>
        <translation>has tables and indexes other than Velmora’s: it is not a Velmora data file.</translation>
    </message>
    <message>
        <source>中有编号相同的分组。</source>
        <translation>has two groups under the same number.</translation>
    </message>
    <message>
        <source>分组编号重复：%1 第 %2 行与第 %3 行都是 %4</source>
        <translation>Group number used twice: %1 rows %2 and %3 are both %4</translation>
    </message>
</context>
<context>
    <name>ResultSet</name>
    <message>
        <source>找不到字段：</source>
        <translation>Field not found: </translation>
    </message>
    <message>
        <source>字段 %1 的值不是有效的整数：%2</source>
        <translation>The value of field %1 is not a valid integer: %2</translation>
    </message>
    <message>
        <source>字段 %1 的值不是有效的是/否值：%2</source>
        <translation>The value of field %1 is not a valid yes/no value: %2</translation>
    </message>
    <message>
        <source>数据集不能修改</source>
        <translation>The data set cannot be changed</translation>
    </message>
    <message>
        <source>没有可修改的记录</source>
        <translation>There is no record to change</translation>
    </message>
    <message>
        <source>数据集不在编辑状态</source>
        <translation>The data set is not being edited</translation>
    </message>
</context>
<context>
    <name>Schema</name>
    <message>
        <source>表</source>
        <translation>table</translation>
    </message>
    <message>
        <source>索引</source>
        <translation>index</translation>
    </message>
    <message>
        <source>视图</source>
        <translation>view</translation>
    </message>
    <message>
        <source>触发器</source>
        <translation>trigger</translation>
    </message>
    <message>
        <source>多出%1 %2</source>
        <translation>extra %1 %2</translation>
    </message>
    <message>
        <source>%1 %2 的定义不同</source>
        <translation>%1 %2 is defined differently</translation>
    </message>
    <message>
        <source>缺少%1 %2</source>
        <translation>missing %1 %2</translation>
    </message>
    <message>
        <source>不是 Velmora 的数据库结构：</source>
        <translation>Not Velmora’s database structure: </translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
</context>
<context>
    <name>Sql</name>
    <message>
        <source>无效的表名：</source>
        <translation>Invalid table name: </translation>
    </message>
    <message>
        <source>无效的编号：</source>
        <translation>Invalid number: </translation>
    </message>
</context>
<context>
    <name>SyncedFolder</name>
    <message>
        <source>数据文件位于同步程序管理的文件夹中（%1：%2）。同步程序会在另一台电脑改过它时把它整个换掉，或者留下冲突副本，两边的修改可能互相覆盖。请把 Velmora 的文件夹移出这个文件夹，改用“软件设置”菜单中的“多台电脑同步…”。</source>
        <translation>The data file lies in a folder kept by a sync program (%1: %2). When the file is changed on another computer, the sync program replaces it whole or leaves a conflict copy beside it, and the changes of the two computers may overwrite each other. Move the Velmora folder out of that folder and use “Sync between computers…” in the Settings menu instead.</translation>
    </message>
</context>
<context>
    <name>TCardDBGrid</name>
    <message>
        <source>找不到字段：</source>
        <translation>Field not found: </translation>
    </message>
</context>
<context>
    <name>TCardEdtBut</name>
    <message>
        <source>展开</source>
        <translation>Open list</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>选择分组</source>
        <translation>Choose group</translation>
    </message>
    <message>
        <source>查找</source>
        <translation>Find</translation>
    </message>
</context>
<context>
    <name>TCardTree</name>
    <message>
        <source>该名称已经存在，请重新输入！</source>
        <translation>This name already exists. Please enter another one.</translation>
    </message>
    <message>
        <source>这个分组下面还有分组，但它们超过了树能展开的 %1 层，不在树中显示</source>
        <translation>This group has subgroups, but they lie beyond the %1 levels the tree can show, so they are not shown</translation>
    </message>
    <message>
        <source>请选择要删除的分组！</source>
        <translation>Please select the group to delete.</translation>
    </message>
    <message>
        <source>还有下级分组，不能删除该分组！</source>
        <translation>This group has subgroups and cannot be deleted.</translation>
    </message>
    <message>
        <source>不能删除根分组！</source>
        <translation>The root group cannot be deleted.</translation>
    </message>
    <message>
        <source>确定要删除 %1 分组吗？</source>
        <translation>Delete the group %1?</translation>
    </message>
    <message>
        <source>这个分组已在第 %1 层，树中不能再展开更深的分组，无法在它下面新建分组。请在上面几层新建。</source>
        <translation>This group is at level %1; the tree cannot show deeper groups, so no group can be created under it. Please create it at a higher level.</translation>
    </message>
</context>
<context>
    <name>TDataFileFollow</name>
    <message>
        <source>数据文件被其他程序删除，已把打开的数据写回原处。</source>
        <translation>Another program deleted the data file; the open data has been written back in its place.</translation>
    </message>
    <message>
        <source>数据文件已被替换</source>
        <translation>The data file was replaced</translation>
    </message>
    <message>
        <source>换上的数据文件用别的密码加密，请输入它的登录密码</source>
        <translation>The data file put in its place is encrypted with another password; enter its login password</translation>
    </message>
    <message>
        <source>没有输入它的密码。</source>
        <translation>Its password was not entered.</translation>
    </message>
    <message>
        <source>数据文件被其他程序换成了 Velmora 无法使用的文件：%1
它已移到“%2”文件夹中留存，Velmora 继续使用原来的数据。</source>
        <translation>Another program replaced the data file with a file Velmora cannot use: %1
It has been moved to the folder “%2” and kept; Velmora goes on with the previous data.</translation>
    </message>
    <message>
        <source>数据文件已被其他程序替换，本机尚未同步的内容已合并进新文件。</source>
        <translation>The data file was replaced by another program; what this computer had not yet synced has been merged into the new file.</translation>
    </message>
    <message>
        <source>数据文件已被其他程序替换，原来的数据未能合并，已留存在“%1”。</source>
        <translation>The data file was replaced by another program; the previous data could not be merged and is kept in “%1”.</translation>
    </message>
</context>
<context>
    <name>TFormAbout</name>
    <message>
        <source>关于 Velmora</source>
        <translation>About Velmora</translation>
    </message>
    <message>
        <source>版本 %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>数据文件夹(&amp;D)：</source>
        <translation>&amp;Data folder:</translation>
    </message>
    <message>
        <source>数据文件夹</source>
        <translation>Data folder</translation>
    </message>
    <message>
        <source>数据文件 bookkeep.dat 所在的文件夹</source>
        <translation>The folder that holds the data file bookkeep.dat</translation>
    </message>
    <message>
        <source>打开文件夹(&amp;O)</source>
        <translation>&amp;Open Folder</translation>
    </message>
    <message>
        <source>打开文件夹</source>
        <translation>Open Folder</translation>
    </message>
    <message>
        <source>在文件管理器中打开数据文件夹</source>
        <translation>Opens the data folder in the file manager</translation>
    </message>
    <message>
        <source>数据文件已用登录密码加密。</source>
        <translation>The data file is encrypted with the login password.</translation>
    </message>
    <message>
        <source>数据文件未用登录密码加密。</source>
        <translation>The data file is not encrypted with the login password.</translation>
    </message>
    <message>
        <source>本软件为专有软件，保留所有权利。</source>
        <translation>This is proprietary software. All rights reserved.</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TFormAddIE</name>
    <message>
        <source>新建网址</source>
        <translation>New Address</translation>
    </message>
    <message>
        <source>保存后继续新建</source>
        <translation>Save and add another</translation>
    </message>
    <message>
        <source>已保存在：%1</source>
        <translation>Already saved in: %1</translation>
    </message>
</context>
<context>
    <name>TFormAddType</name>
    <message>
        <source>新建组</source>
        <translation>New Group</translation>
    </message>
    <message>
        <source>所在位置</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>组名</source>
        <translation>Group name</translation>
    </message>
    <message>
        <source>新分组将放在这个分组下面</source>
        <translation>The new group is placed under this group</translation>
    </message>
    <message>
        <source>Ctrl+D 插入日期，Ctrl+T 插入日期时间</source>
        <translation>Ctrl+D inserts the date, Ctrl+T the date and time</translation>
    </message>
    <message>
        <source>名称不能为空!</source>
        <translation>The name cannot be empty!</translation>
    </message>
</context>
<context>
    <name>TFormBaseDlg</name>
    <message>
        <source>确定(&amp;O)</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>取消(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TFormBaseIE</name>
    <message>
        <source>分组</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>按 F4 选择分组</source>
        <translation>Press F4 to choose the group</translation>
    </message>
    <message>
        <source>未分组</source>
        <translation>Ungrouped</translation>
    </message>
    <message>
        <source>网址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>标题</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Remark</translation>
    </message>
    <message>
        <source>网址不能为空！</source>
        <translation>The address cannot be empty!</translation>
    </message>
    <message>
        <source>在浏览器中打开</source>
        <translation>Open in Browser</translation>
    </message>
    <message>
        <source>选择分组</source>
        <translation>Choose group</translation>
    </message>
</context>
<context>
    <name>TFormBrowserImport</name>
    <message>
        <source>从浏览器导入书签</source>
        <translation>Import Bookmarks from Browser</translation>
    </message>
    <message>
        <source>导入哪个浏览器配置的书签(&amp;B)：</source>
        <translation>Import the bookmarks of which &amp;browser profile:</translation>
    </message>
    <message>
        <source>浏览器配置</source>
        <translation>Browser profiles</translation>
    </message>
</context>
<context>
    <name>TFormConfig</name>
    <message>
        <source>软件设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>登录需输入密码</source>
        <translation>Ask for a password at login</translation>
    </message>
    <message>
        <source>用登录密码加密数据文件(&amp;E)</source>
        <translation>&amp;Encrypt the data file with the login password</translation>
    </message>
    <message>
        <source>只有输入登录密码才能打开数据文件</source>
        <translation>Only the login password can then open the data file</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>再输入次</source>
        <translation>Again</translation>
    </message>
    <message>
        <source>再输入一次密码</source>
        <translation>Enter the password again</translation>
    </message>
    <message>
        <source>空闲时自动锁定（分钟，0 为不锁定）</source>
        <translation>Lock when idle (minutes, 0 for never)</translation>
    </message>
    <message>
        <source>空闲时自动锁定</source>
        <translation>Lock when idle</translation>
    </message>
    <message>
        <source>空闲多少分钟后自动锁定，0 为不锁定</source>
        <translation>Minutes of inactivity before locking, 0 for never</translation>
    </message>
    <message>
        <source>最小化时锁定</source>
        <translation>Lock when minimised</translation>
    </message>
    <message>
        <source>密码不能为空!</source>
        <translation>The password cannot be empty!</translation>
    </message>
    <message>
        <source>两次输入的密码不一样,请重新输入!</source>
        <translation>The two passwords do not match. Please enter them again!</translation>
    </message>
    <message>
        <source>请先输入旧密码</source>
        <translation>Enter the old password first</translation>
    </message>
    <message>
        <source>请先输入密码才可以取消登录密码</source>
        <translation>Enter the password before switching off the login password</translation>
    </message>
    <message>
        <source>加密后，只有输入登录密码才能打开数据文件和 Velmora 自动保存的备份。忘记密码将无法找回数据。你自己另存的备份不会改变。确定要加密吗？</source>
        <translation>Once encrypted, the data file and the backups Velmora saves automatically open only with the login password. If you forget the password, the data cannot be recovered. Backups you saved yourself are not changed. Encrypt the data file?</translation>
    </message>
</context>
<context>
    <name>TFormMain</name>
    <message>
        <source>页面</source>
        <translation>Pages</translation>
    </message>
    <message>
        <source>记事本和网址管理两页；Ctrl+Tab 切换</source>
        <translation>The Notebook and Web Addresses pages; Ctrl+Tab switches between them</translation>
    </message>
    <message>
        <source>记事本</source>
        <translation>Notebook</translation>
    </message>
    <message>
        <source>网址管理</source>
        <translation>Web Addresses</translation>
    </message>
    <message>
        <source>开机运行</source>
        <translation>Run at login</translation>
    </message>
    <message>
        <source>软件设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>登录桌面时自动启动 Velmora</source>
        <translation>Starts Velmora when you log in to the desktop</translation>
    </message>
    <message>
        <source>打开菜单：软件主页、设置、锁定、备份、恢复、导入导出、键盘快捷键、关于</source>
        <translation>Opens the menu: home page, settings, lock, backup, restore, import and export, keyboard shortcuts, about</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>软件主页</source>
        <translation>Home Page</translation>
    </message>
    <message>
        <source>锁定</source>
        <translation>Lock</translation>
    </message>
    <message>
        <source>数据备份</source>
        <translation>Back Up Data</translation>
    </message>
    <message>
        <source>数据恢复</source>
        <translation>Restore Data</translation>
    </message>
    <message>
        <source>导入书签…</source>
        <translation>Import Bookmarks…</translation>
    </message>
    <message>
        <source>从浏览器导入书签…</source>
        <translation>Import Bookmarks from Browser…</translation>
    </message>
    <message>
        <source>导出书签…</source>
        <translation>Export Bookmarks…</translation>
    </message>
    <message>
        <source>导出笔记…</source>
        <translation>Export Notes…</translation>
    </message>
    <message>
        <source>键盘快捷键</source>
        <translation>Keyboard Shortcuts</translation>
    </message>
    <message>
        <source>关于 Velmora</source>
        <translation>About Velmora</translation>
    </message>
    <message>
        <source>显示窗口</source>
        <translation>Show Window</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>数据文件中的分组读取失败（原因见上一个提示），窗口中不显示这些分组。
要退出 Velmora 吗？选“否”继续使用，例如用“数据恢复”换回一个备份。</source>
        <translation>The groups in the data file could not be read (the previous message gives the reason), so the window does not show them.
Do you want to quit Velmora? Choose “No” to go on working, for example to bring back a backup with “Restore Data”.</translation>
    </message>
    <message>
        <source>确定要退出程序吗？</source>
        <translation>Do you really want to quit the program?</translation>
    </message>
    <message>
        <source>设置已保存</source>
        <translation>Settings saved</translation>
    </message>
    <message>
        <source>已备份到 %1</source>
        <translation>Backed up to %1</translation>
    </message>
    <message>
        <source>已恢复</source>
        <translation>Restored</translation>
    </message>
    <message>
        <source>恢复的数据读取失败（原因见上一个提示），窗口中不显示它的分组。
要换回恢复前的数据吗？</source>
        <translation>The restored data could not be read (the previous message gives the reason), so the window does not show its groups.
Do you want to go back to the data from before the restore?</translation>
    </message>
    <message>
        <source>已换回恢复前的数据</source>
        <translation>The data from before the restore is back</translation>
    </message>
    <message>
        <source>无法设置开机运行：%1</source>
        <translation>Cannot set Velmora to run at login: %1</translation>
    </message>
    <message>
        <source>设置登录密码后才能锁定</source>
        <translation>Set a login password to be able to lock</translation>
    </message>
    <message>
        <source>合并另一个数据文件…</source>
        <translation>Merge another data file…</translation>
    </message>
    <message>
        <source>多台电脑同步…</source>
        <translation>Sync between computers…</translation>
    </message>
    <message>
        <source>笔记所在的分组已在别处删除，尚未保存的内容已放回分组“%1”</source>
        <translation>The note&apos;s group was deleted elsewhere; what was not saved yet was put back in group “%1”</translation>
    </message>
    <message>
        <source>回收站…</source>
        <translation>Recycle Bin…</translation>
    </message>
</context>
<context>
    <name>TFormModIE</name>
    <message>
        <source>修改网址</source>
        <translation>Edit Address</translation>
    </message>
</context>
<context>
    <name>TFormNoteHistory</name>
    <message>
        <source>历史版本</source>
        <translation>Note History</translation>
    </message>
    <message>
        <source>版本(&amp;V)：</source>
        <translation>&amp;Versions:</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Versions</translation>
    </message>
    <message>
        <source>笔记保存过的版本，最新的在前</source>
        <translation>The versions kept of the note, newest first</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>大小</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>第一行</source>
        <translation>First line</translation>
    </message>
    <message>
        <source>%1 字</source>
        <translation>%1 characters</translation>
    </message>
    <message>
        <source>所选版本(&amp;T)：</source>
        <translation>Selected &amp;text:</translation>
    </message>
    <message>
        <source>所选版本</source>
        <translation>Selected version</translation>
    </message>
    <message>
        <source>恢复此版本</source>
        <translation>Restore This Version</translation>
    </message>
    <message>
        <source>所选版本成为笔记的内容，当前内容先存为一个版本</source>
        <translation>The selected version becomes the note; the current text is kept as a version first</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>这条笔记还没有保存过的版本。</source>
        <translation>No versions of this note have been kept yet.</translation>
    </message>
    <message>
        <source>与笔记当前的内容相同。</source>
        <translation>The same as the note is now.</translation>
    </message>
    <message>
        <source>与笔记当前的内容不同的 %1 行已标出。</source>
        <translation>%1 lines that differ from the note as it is now are marked.</translation>
    </message>
</context>
<context>
    <name>TFormPass</name>
    <message>
        <source>请输入密码</source>
        <translation>Enter Password</translation>
    </message>
    <message>
        <source>输入密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>密码输入错误!</source>
        <translation>Wrong password!</translation>
    </message>
</context>
<context>
    <name>TFormRecycleBin</name>
    <message>
        <source>笔记分组</source>
        <translation>Note group</translation>
    </message>
    <message>
        <source>网址分组</source>
        <translation>Address group</translation>
    </message>
    <message>
        <source>网址</source>
        <translation>Web address</translation>
    </message>
    <message>
        <source>笔记</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>回收站</source>
        <translation>Recycle Bin</translation>
    </message>
    <message>
        <source>回收站中的内容</source>
        <translation>Contents of the recycle bin</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>原位置</source>
        <translation>Original location</translation>
    </message>
    <message>
        <source>删除时间</source>
        <translation>Deleted on</translation>
    </message>
    <message>
        <source>回收站是空的。</source>
        <translation>The recycle bin is empty.</translation>
    </message>
    <message>
        <source>还原</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>彻底删除</source>
        <translation>Delete permanently</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>确定要彻底删除“%1”吗？删除后无法找回。</source>
        <translation>Delete “%1” permanently? It cannot be recovered afterwards.</translation>
    </message>
</context>
<context>
    <name>TFormShortcuts</name>
    <message>
        <source>整个窗口</source>
        <translation>Whole window</translation>
    </message>
    <message>
        <source>搜索笔记和网址</source>
        <translation>Search notes and web addresses</translation>
    </message>
    <message>
        <source>锁定</source>
        <translation>Lock</translation>
    </message>
    <message>
        <source>键盘快捷键</source>
        <translation>Keyboard Shortcuts</translation>
    </message>
    <message>
        <source>搜索结果</source>
        <translation>Search results</translation>
    </message>
    <message>
        <source>选择结果</source>
        <translation>Choose a result</translation>
    </message>
    <message>
        <source>转到选中的结果</source>
        <translation>Go to the chosen result</translation>
    </message>
    <message>
        <source>清空搜索，关闭结果列表</source>
        <translation>Clear the search and close the results</translation>
    </message>
    <message>
        <source>分组树（记事本和网址管理）</source>
        <translation>Group trees (Notebook and Web Addresses)</translation>
    </message>
    <message>
        <source>新建组</source>
        <translation>New group</translation>
    </message>
    <message>
        <source>重命名组</source>
        <translation>Rename group</translation>
    </message>
    <message>
        <source>删除组</source>
        <translation>Delete group</translation>
    </message>
    <message>
        <source>展开选中分组下的全部分组</source>
        <translation>Expand all groups below the selected one</translation>
    </message>
    <message>
        <source>笔记</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>插入日期</source>
        <translation>Insert date</translation>
    </message>
    <message>
        <source>插入日期时间</source>
        <translation>Insert date and time</translation>
    </message>
    <message>
        <source>查找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>查找下一个（在查找框中）</source>
        <translation>Find next (in the find box)</translation>
    </message>
    <message>
        <source>网址列表</source>
        <translation>Address list</translation>
    </message>
    <message>
        <source>打开网页</source>
        <translation>Open web page</translation>
    </message>
    <message>
        <source>新建</source>
        <translation>New</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>新建网址、修改网址</source>
        <translation>New and Edit Web Address dialogs</translation>
    </message>
    <message>
        <source>选择分组</source>
        <translation>Choose the group</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>在名称中插入日期</source>
        <translation>Insert the date into the name</translation>
    </message>
    <message>
        <source>在名称中插入日期时间</source>
        <translation>Insert the date and time into the name</translation>
    </message>
    <message>
        <source>所有对话框</source>
        <translation>All dialogs</translation>
    </message>
    <message>
        <source>确定（网址的备注框中为换行）</source>
        <translation>OK (a new line in a web address&apos;s remark)</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>程序的全部按键，按页面和对话框分组</source>
        <translation>Every key of the program, grouped by page and dialog</translation>
    </message>
    <message>
        <source>按键</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>作用</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>切换到另一页（焦点在页面中时）</source>
        <translation>Switch to the other page (with the focus on a page)</translation>
    </message>
    <message>
        <source>打开“软件设置”菜单：软件主页、设置、锁定、备份、恢复、导入导出、关于</source>
        <translation>Open the Settings menu: home page, settings, lock, backup, restore, import and export, about</translation>
    </message>
    <message>
        <source>历史版本</source>
        <translation>Note History</translation>
    </message>
</context>
<context>
    <name>TFormSync</name>
    <message>
        <source>多台电脑同步</source>
        <translation>Sync between computers</translation>
    </message>
    <message>
        <source>同步文件夹</source>
        <translation>Sync folder</translation>
    </message>
    <message>
        <source>浏览…</source>
        <translation>Browse…</translation>
    </message>
    <message>
        <source>本机名称</source>
        <translation>This computer&apos;s name</translation>
    </message>
    <message>
        <source>停止同步</source>
        <translation>Stop syncing</translation>
    </message>
    <message>
        <source>同步程序（如 Syncthing）在各台电脑间保持一致的文件夹，不能是数据文件所在的文件夹</source>
        <translation>A folder your sync program (such as Syncthing) keeps the same on every computer; not the data file&apos;s own folder</translation>
    </message>
    <message>
        <source>选择同步文件夹</source>
        <translation>Choose the sync folder</translation>
    </message>
    <message>
        <source>其他电脑上显示的这台电脑的名称</source>
        <translation>The name the other computers show for this one</translation>
    </message>
    <message>
        <source>请填写同步文件夹。</source>
        <translation>Please enter a sync folder.</translation>
    </message>
    <message>
        <source>同步文件夹“%1”不存在。</source>
        <translation>The sync folder &quot;%1&quot; does not exist.</translation>
    </message>
    <message>
        <source>同步文件夹不能是数据文件所在的文件夹，也不能放有 %1。</source>
        <translation>The sync folder cannot be the data file&apos;s own folder, nor hold a %1.</translation>
    </message>
    <message>
        <source>无法在同步文件夹中写入文件：%1</source>
        <translation>Cannot write files in the sync folder: %1</translation>
    </message>
    <message>
        <source>本机名称不能为空。</source>
        <translation>This computer&apos;s name cannot be empty.</translation>
    </message>
</context>
<context>
    <name>TFormViewIEType</name>
    <message>
        <source>选择组</source>
        <translation>Choose Group</translation>
    </message>
    <message>
        <source>网址分组</source>
        <translation>Address groups</translation>
    </message>
    <message>
        <source>新建分组</source>
        <translation>New Group</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
</context>
<context>
    <name>TGroupCommands</name>
    <message>
        <source>新建组</source>
        <translation>New Group</translation>
    </message>
    <message>
        <source>重命名组</source>
        <translation>Rename Group</translation>
    </message>
    <message>
        <source>删除组</source>
        <translation>Delete Group</translation>
    </message>
    <message>
        <source>右键单击打开分组命令：新建组、重命名组、删除组</source>
        <translation>Right-click for the group commands: New Group, Rename Group, Delete Group</translation>
    </message>
    <message>
        <source>请先选择一个分组，新组将建在它下面。</source>
        <translation>Select a group first; the new group goes below it.</translation>
    </message>
    <message>
        <source>请先选择要重命名的分组。</source>
        <translation>Select the group to rename first.</translation>
    </message>
</context>
<context>
    <name>TNotePage</name>
    <message>
        <source>笔记分组</source>
        <translation>Note groups</translation>
    </message>
    <message>
        <source>笔记</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>所选分组的笔记，随时自动保存</source>
        <translation>The selected group&apos;s note, saved automatically as you type</translation>
    </message>
    <message>
        <source>查找字符</source>
        <translation>Find text</translation>
    </message>
    <message>
        <source>Enter 或 F3 查找下一个；找不到时背景变红</source>
        <translation>Enter or F3 finds the next match; the box turns red when nothing is found</translation>
    </message>
    <message>
        <source>查找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>在笔记中查找下一个</source>
        <translation>Find the next match in the note</translation>
    </message>
    <message>
        <source>根目录</source>
        <translation>Root</translation>
    </message>
    <message>
        <source>该分组的笔记将一并删除。</source>
        <translation>The group&apos;s note will be deleted as well.</translation>
    </message>
    <message>
        <source>在这里输入，内容随时自动保存</source>
        <translation>Type here; everything is saved automatically</translation>
    </message>
    <message>
        <source>插入日期时间</source>
        <translation>Insert Date and Time</translation>
    </message>
    <message>
        <source>插入日期</source>
        <translation>Insert Date</translation>
    </message>
    <message>
        <source>尚未保存：%1，正在重试…</source>
        <translation>Not saved yet: %1. Retrying…</translation>
    </message>
    <message>
        <source>历史版本…</source>
        <translation>Note History…</translation>
    </message>
</context>
<context>
    <name>TNoteSaver</name>
    <message>
        <source>磁盘写入缓慢</source>
        <translation>the disk is writing slowly</translation>
    </message>
    <message>
        <source>笔记尚未保存（%1）。</source>
        <translation>The note has not been saved (%1).</translation>
    </message>
    <message>
        <source>重试</source>
        <translation>Retry</translation>
    </message>
    <message>
        <source>不保存</source>
        <translation>Don&apos;t Save</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TQtUserDialogs</name>
    <message>
        <source>是(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>否(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TSearchBox</name>
    <message>
        <source>找到的分组在第 %1 层，超过了树能展开的 %2 层，无法在树中显示它。</source>
        <translation>The group found is at level %1, deeper than the %2 levels the tree can show, so it cannot be shown in the tree.</translation>
    </message>
    <message>
        <source>笔记</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>网址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>搜索笔记和网址</source>
        <translation>Search notes and web addresses</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>搜索全部笔记、分组和网址（Ctrl+K）；上下键选择结果，Enter 转到，Esc 清空</source>
        <translation>Searches all notes, groups and web addresses (Ctrl+K); Up and Down choose a result, Enter goes to it, Esc clears</translation>
    </message>
    <message>
        <source>搜索结果</source>
        <translation>Search results</translation>
    </message>
    <message>
        <source>没有找到</source>
        <translation>Nothing found</translation>
    </message>
    <message>
        <source>正在搜索…</source>
        <translation>Searching…</translation>
    </message>
</context>
<context>
    <name>TSearchRun</name>
    <message>
        <source>根目录</source>
        <translation>Root</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
</context>
<context>
    <name>TSyncLink</name>
    <message>
        <source>%1 删除了 %2 个分组和 %3 个网址，是否同步删除？</source>
        <translation>%1 deleted %2 groups and %3 web addresses. Delete them here too?</translation>
    </message>
    <message>
        <source>请输入 %1 的数据文件密码</source>
        <translation>Enter the password of %1&apos;s data file</translation>
    </message>
    <message>
        <source>查看</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>查看冲突副本</source>
        <translation>Show the conflict copies</translation>
    </message>
    <message numerus="yes">
        <source>%n 条笔记在两台电脑上都改过，两份都已保留</source>
        <translation>
            <numerusform>%n note was changed on both computers; both versions are kept</numerusform>
            <numerusform>%n notes were changed on both computers; both versions are kept</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TSyncService</name>
    <message>
        <source>未输入正确的密码，已跳过</source>
        <translation>skipped: no correct password was entered</translation>
    </message>
    <message>
        <source>同步出错：%1</source>
        <translation>Sync failed: %1</translation>
    </message>
    <message>
        <source>无法读取 %1 的同步文件：%2</source>
        <translation>Cannot read the sync file of %1: %2</translation>
    </message>
    <message numerus="yes">
        <source>已同步：%1，%n 分钟前</source>
        <translation>
            <numerusform>Synced: %1, %n minute ago</numerusform>
            <numerusform>Synced: %1, %n minutes ago</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TWebAddrPage</name>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>网址分组</source>
        <translation>Address groups</translation>
    </message>
    <message>
        <source>网址列表</source>
        <translation>Address list</translation>
    </message>
    <message numerus="yes">
        <source>该分组中的 %n 个网址将一并删除。</source>
        <translation>
            <numerusform>The %n address in this group will be deleted with it.</numerusform>
            <numerusform>The %n addresses in this group will be deleted with it.</numerusform>
        </translation>
    </message>
    <message>
        <source>新建网址</source>
        <translation>New Address</translation>
    </message>
    <message>
        <source>新建</source>
        <translation>New</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>打开网页</source>
        <translation>Open Web Page</translation>
    </message>
    <message>
        <source>右键点击这里新建网址，或复制网址后按 Insert</source>
        <translation>Right-click here to add an address, or copy an address and press Insert</translation>
    </message>
    <message>
        <source>确实要删除：＂%1＂吗?</source>
        <translation>Do you really want to delete “%1”?</translation>
    </message>
</context>
</TS>
