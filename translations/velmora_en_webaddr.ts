<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
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
        <source>打开网页</source>
        <translation>Open Web Page</translation>
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
    <name>TFormModIE</name>
    <message>
        <source>修改网址</source>
        <translation>Edit Address</translation>
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
