# Turns the exit codes a program's --help lists into the page's EXIT STATUS section.
s/^\.SS "Exit \(codes\|status\):"$/.SH "EXIT STATUS"/
