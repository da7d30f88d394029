// Runs requests through tedious, a TDS client that does not go through FreeTDS, and prints one JSON
// line per request: its rows, its row count, its messages' numbers and the error that ended it.
// Usage: node client.js PORT USER PASSWORD ENCRYPT(yes|no) < requests.json
// Each request: {"sql": "...", "params": [{"name": "n", "type": "NVarChar"|"Int"|"Bit", "value": ...}],
// "batch": true to send it as a SQL batch instead of sp_executesql}.
'use strict';
const { Connection, Request, TYPES } = require('tedious');

const [port, userName, password, encrypt] = process.argv.slice(2);
const requests = JSON.parse(require('fs').readFileSync(0, 'utf8'));

const connection = new Connection({
  server: '127.0.0.1',
  authentication: { type: 'default', options: { userName, password } },
  options: {
    port: Number(port),
    encrypt: encrypt === 'yes',
    trustServerCertificate: true,
    connectTimeout: 10000,
    requestTimeout: 10000,
  },
});
let messages = [];
connection.on('infoMessage', (m) => messages.push(m.number));
connection.on('errorMessage', (m) => messages.push(m.number));

function run(query) {
  return new Promise((resolve) => {
    const result = { rows: [], messages: [], error: null };
    messages = result.messages;
    const request = new Request(query.sql, (error, rowCount) => {
      result.error = error ? error.message : null;
      result.rowCount = rowCount ?? null;
      resolve(result);
    });
    for (const p of query.params || []) request.addParameter(p.name, TYPES[p.type], p.value);
    request.on('row', (columns) => result.rows.push(columns.map((c) => c.value)));
    if (query.batch) connection.execSqlBatch(request);
    else connection.execSql(request);
  });
}

connection.connect(async (error) => {
  if (error) {
    console.log(JSON.stringify({ connectError: error.message }));
    process.exit(1);
  }
  console.log(JSON.stringify({ connected: true, messages }));
  for (const query of requests) console.log(JSON.stringify(await run(query)));
  connection.close();
});
