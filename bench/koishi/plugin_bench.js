// The Koishi plug-in's figures for bench/RESULTS.md, measured side by side in
// one run (scripts/test-koishi.sh runs it with --short):
//
// 1. Time per message through Koishi's mock client: a wrong guess through
//    koishi-plugin-zorvane against the same message answered by an echo
//    plug-in, taken in turns; and the same wrong guess sent straight to a
//    zorvane-host over its pipe (the module's time and the host's).
// 2. Events per second with 1 and 4 host processes, while the riddle site
//    answers at once and after 200 ms: eight groups play rounds of a start
//    command, a wrong guess and a right guess at the same time.
//
//   ZORVANE_TEST_APP=build/koishi/app node bench/koishi/plugin_bench.js [--short]
//
// Port 8723 of 127.0.0.1, the module's site address, must be free: run it in
// a network namespace of its own, as scripts/test-koishi.sh does.
'use strict'

const path = require('node:path')
const readline = require('node:readline')
const { spawn } = require('node:child_process')
const support = path.join(__dirname, '..', '..', 'tools', 'koishi-plugin-zorvane', 'test', 'support')
const { koishi, startKoishi, bundledRiddles } = require(path.join(support, 'koishi-app'))
const { startPackedSite, startDelayingProxy } = require(path.join(support, 'riddle-sites'))
const fs = require('node:fs')
const os = require('node:os')

const short = process.argv.includes('--short')
const MESSAGES = short ? 30 : 2000
const WARM_UP = short ? 5 : 100
const GROUPS = 8
const riddles = bundledRiddles()

// Cleanups run at the end, as a test's would.
const cleanups = []
const scope = { after: (cleanup) => cleanups.push(cleanup) }

function freshBase() {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'zorvane-bench-'))
  scope.after(() => fs.rmSync(folder, { recursive: true, force: true }))
  return folder
}

function milliseconds(start) {
  return Number(process.hrtime.bigint() - start) / 1e6
}

function percentile(times, share) {
  const sorted = [...times].sort((a, b) => a - b)
  return sorted[Math.min(sorted.length - 1, Math.floor(share * sorted.length))]
}

function echoPlugin(ctx) {
  ctx.middleware((session, next) => {
    const text = session.elements.filter((e) => e.type === 'text').map((e) => e.attrs.content).join('')
    return text ? koishi.h.text(text) : next()
  })
}

// A zorvane-host of the game folder, driven over its pipe as the pool does.
function directHost(folder) {
  const host = spawn(path.join(folder, 'zorvane-host'), [], { stdio: ['pipe', 'pipe', 'inherit'] })
  scope.after(() => host.kill())
  const waiting = []
  readline.createInterface({ input: host.stdout }).on('line', (line) => waiting.shift()(JSON.parse(line)))
  let id = 0
  return (request) => new Promise((resolve) => {
    waiting.push(resolve)
    host.stdin.write(JSON.stringify({ id: ++id, ...request }) + '\n')
  })
}

async function timePerMessage() {
  const rich = { signinMin: 1e9, signinMax: 1e9, useRunningSite: true }
  const zorvane = await startKoishi(scope, freshBase(), { zorvane: rich })
  const echo = await startKoishi(scope, freshBase(), { zorvane: false, plugins: [[echoPlugin]] })
  const player = zorvane.app.mock.client('player', 'bench-group')
  const echoed = echo.app.mock.client('player', 'echo-group')
  await player.receive('签到')
  const ask = directHost(zorvane.folder)
  const pipeGroup = { group: '99999', member: '99999' }
  await ask({ op: 'give', ...pipeGroup, amount: 1e9 })
  const guess = '这不是答案'
  const times = { zorvane: [], echo: [], pipe: [] }
  for (let i = 0; i < WARM_UP + MESSAGES; i++) {
    const turns = [
      ['zorvane', () => player.receive(guess)],
      ['echo', () => echoed.receive(guess)],
      ['pipe', () => ask({ op: 'event', message: guess, type: '2', ...pipeGroup })],
    ]
    // Who goes first changes every message.
    for (const [name, send] of i % 2 ? turns : turns.reverse()) {
      const start = process.hrtime.bigint()
      const reply = await send()
      const ms = milliseconds(start)
      const text = Array.isArray(reply) ? reply[0] : reply.reply
      if (!text || (name !== 'echo' && !text.startsWith('不好意思答错了'))) {
        throw new Error(`${name}: unexpected reply ${JSON.stringify(reply)}`)
      }
      if (i >= WARM_UP) times[name].push(ms)
    }
  }
  console.log(`\nTime per message, ${MESSAGES} messages each, in turns:\n`)
  console.log('| path | median | p99 |\n|---|---:|---:|')
  for (const [name, label] of [['echo', 'echo plug-in (Koishi alone)'],
    ['zorvane', 'koishi-plugin-zorvane, a wrong guess'],
    ['pipe', 'zorvane-host over its pipe, the same guess']]) {
    console.log(`| ${label} | ${percentile(times[name], 0.5).toFixed(2)} ms | ` +
      `${percentile(times[name], 0.99).toFixed(2)} ms |`)
  }
  const added = percentile(times.zorvane, 0.5) - percentile(times.echo, 0.5)
  const plugin = added - percentile(times.pipe, 0.5)
  console.log(`\nAdded to Koishi's own time (median): ${added.toFixed(2)} ms, of which the ` +
    `plug-in's own part (beyond the host's answer): ${plugin.toFixed(2)} ms`)
  await zorvane.stop()
  await echo.stop()
}

// Eight groups play rounds at once; events per second over all of them.
async function eventsPerSecond(proxy, hosts, delay, rounds) {
  proxy.otherPages = delay
  const { app, stop } = await startKoishi(scope, freshBase(),
    { zorvane: { hosts, useRunningSite: true } })
  const members = Array.from({ length: GROUPS }, (_, n) => app.mock.client(`p${n}`, `group-${n}`))
  for (const member of members) await member.receive('签到')
  const start = process.hrtime.bigint()
  let events = 0
  await Promise.all(members.map(async (member) => {
    for (let round = 0; round < rounds; round++) {
      const riddle = riddles[round % riddles.length]
      const [question] = await member.receive('开始')
      const [wrong] = await member.receive('这不是答案')
      const [right] = await member.receive(riddle.answer)
      if (koishi.h.unescape(question) !== riddle.question || !wrong || !right.startsWith('恭喜猜对')) {
        throw new Error(`round ${round}: ${question} / ${wrong} / ${right}`)
      }
      events += 3
    }
  }))
  const seconds = milliseconds(start) / 1000
  await stop()
  return { events, seconds }
}

async function main() {
  await timePerMessage()
  const proxy = await startDelayingProxy(scope, await startPackedSite(scope))
  console.log(`\nEvents per second, ${GROUPS} groups at once, rounds of start, wrong guess, ` +
    'right guess (5 page requests a round):\n')
  console.log('| site answers after | host processes | events | seconds | events per second |')
  console.log('|---:|---:|---:|---:|---:|')
  for (const delay of [0, 200]) {
    const rounds = short ? 1 : delay ? 2 : 20
    for (const hosts of [1, 4]) {
      const { events, seconds } = await eventsPerSecond(proxy, hosts, delay, rounds)
      console.log(`| ${delay} ms | ${hosts} | ${events} | ${seconds.toFixed(2)} | ` +
        `${(events / seconds).toFixed(1)} |`)
    }
  }
}

main().then(async () => {
  for (const cleanup of cleanups.reverse()) await cleanup()
}, async (error) => {
  console.error(error)
  for (const cleanup of cleanups.reverse()) await cleanup()
  process.exit(1)
})
