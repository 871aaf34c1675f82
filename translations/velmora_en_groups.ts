<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
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
</TS>
