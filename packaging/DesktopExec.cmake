# lumeye_desktop_exec(OUT PATH): PATH as a desktop entry's Exec line writes a
# program: as it stands where it holds no character the entry's rules reserve,
# otherwise in double quotes with ", `, $ and \ escaped. The value's own
# escaping then doubles every backslash, and % is written %% so that no part
# of a folder's name is read as a field code.
function(lumeye_desktop_exec out path)
    set(exec "${path}")
    if(exec MATCHES "[] \t\n\"'\\\\<>~|&;$*?#()`[]")
        string(REPLACE "\\" "\\\\" exec "${exec}")
        string(REPLACE "\"" "\\\"" exec "${exec}")
        string(REPLACE "`" "\\`" exec "${exec}")
        string(REPLACE "$" "\\$" exec "${exec}")
        set(exec "\"${exec}\"")
        string(REPLACE "\\" "\\\\" exec "${exec}")
    endif()
    string(REPLACE "%" "%%" exec "${exec}")
    set(${out} "${exec}" PARENT_SCOPE)
endfunction()
