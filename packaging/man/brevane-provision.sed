# The options follow the usage without a heading of their own.
0,/^\.TP$/s//.SH OPTIONS\n.TP/
