SELECT CAST(x AS DECIMAL(5,1)) as 2nd, 'a''b\', `c` FROM t WHERE d = '2024/3/5' || e <=> 1 LIMIT 0,90 -- c
