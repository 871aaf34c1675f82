<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>DataFileClaim</name>
    <message>
        <source>Velmora 已在运行</source>
        <translation>Velmora is already running</translation>
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
</TS>
