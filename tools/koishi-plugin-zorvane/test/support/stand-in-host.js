#!/usr/bin/env node
// A stand-in for zorvane-host that speaks its line protocol, for the tests of
// the pool: an event's message says what to do.
//   "crash"     the process ends without answering
//   "hang"      no answer, ever
//   "slow N"    the answer comes after N ms
//   otherwise   the answer is "<pid> <message>"
'use strict'

const readline = require('node:readline')

let queue = Promise.resolve()
readline.createInterface({ input: process.stdin }).on('line', (line) => {
  const request = JSON.parse(line)
  queue = queue.then(() => handle(request))
})

async function handle(request) {
  const message = request.message ?? ''
  if (message === 'crash') process.exit(3)
  if (message === 'hang') return new Promise(() => {})
  const slow = /^slow (\d+)$/.exec(message)
  if (slow) await new Promise((resolve) => setTimeout(resolve, Number(slow[1])))
  const answer = { id: request.id, ok: true, reply: `${process.pid} ${message}` }
  if (request.op === 'info') Object.assign(answer, { site: 'http://127.0.0.1:1', commandWord: 'Zorva ' })
  process.stdout.write(JSON.stringify(answer) + '\n')
}
