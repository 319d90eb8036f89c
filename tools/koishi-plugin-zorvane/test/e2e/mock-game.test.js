// The packed plug-in in a fresh Koishi app, played through Koishi's mock
// client: sign-in, the game, its refusals, the standings, many groups at
// once, and a restart of the app.
'use strict'

const assert = require('node:assert/strict')
const fs = require('node:fs')
const path = require('node:path')
const { test } = require('node:test')
const { koishi, appRequire, startKoishi, baseFolder, bundledRiddles } = require('../support/koishi-app')

const riddles = bundledRiddles()
const REFUSED = '对不起，你当前没有更多人民币参加游戏~！\n多参加群内活动~！\n你当前有：'
const WRONG = /^不好意思答错了~！再接再厉。。~！\n本次扣除：(\d+)元$/
const SIGNED_IN = /^签到成功~！本次获得：(\d+)元。。\n你当前有：(\d+)元，共签到(\d+)次~！$/
const SIGNED_ALREADY = /^你今天已经签到过了~！\n你当前有：(\d+)元~！$/
const BALANCE = /^你当前有：(-?[\d.]+)元~！$/

// The one reply to text, as a member reads it (Koishi shows replies as
// markup).
async function say(client, text) {
  const replies = await client.receive(text)
  assert.ok(replies.length <= 1, `more than one reply to ${text}: ${replies}`)
  return replies.length ? koishi.h.unescape(replies[0]) : ''
}

async function balanceOf(client) {
  const reply = await say(client, '余额')
  const match = BALANCE.exec(reply)
  assert.ok(match, `余额: ${reply}`)
  return Number(match[1])
}

test('members sign in, start a riddle, guess wrong and right, and are refused when poor', async (t) => {
  const base = baseFolder(t)
  const { app } = await startKoishi(t, base)
  const alice = app.mock.client('alice', 'group-1')

  const signedIn = SIGNED_IN.exec(await say(alice, '签到'))
  assert.ok(signedIn, 'the first sign-in pays')
  const paid = Number(signedIn[1])
  assert.ok(paid > 20, `a first sign-in pays enough to play: ${paid}`)
  assert.equal(Number(signedIn[2]), paid)
  assert.equal(signedIn[3], '1')
  const again = SIGNED_ALREADY.exec(await say(alice, '签到'))
  assert.ok(again, 'a second sign-in on the same day pays nothing')
  assert.equal(Number(again[1]), paid)

  assert.equal(await say(alice, '开始'), riddles[0].question)
  const wrong = WRONG.exec(await say(alice, '一个错的答案'))
  assert.ok(wrong, 'a wrong guess costs')
  // Commands are no guesses: asking the balance twice costs nothing.
  assert.equal(await balanceOf(alice), paid - Number(wrong[1]))
  assert.equal(await balanceOf(alice), paid - Number(wrong[1]))

  const right = await say(alice, `是${riddles[0].answer}吧`)
  const won = /^恭喜猜对 了~！ 本次收获：(\d+)元。。\n(.*)$/s.exec(right)
  assert.ok(won, `a right guess pays: ${right}`)
  assert.equal(won[2], riddles[1].question, 'and shows the next riddle')
  assert.equal(await balanceOf(alice), paid - Number(wrong[1]) + Number(won[1]))

  // Bob never signed in: every game message is refused, showing no balance.
  const bob = app.mock.client('bob', 'group-1')
  assert.equal(await say(bob, '开始'), `${REFUSED}元~！`)
  assert.equal(await say(bob, riddles[1].answer), `${REFUSED}元~！`)

  // Private messages and messages without text never reach the game.
  const alone = app.mock.client('alice')
  assert.equal(await say(alone, riddles[1].answer), '')
  assert.equal(await say(alice, '<img src="https://example.invalid/a.png"/>'), '')
  assert.equal(await balanceOf(alice), paid - Number(wrong[1]) + Number(won[1]))

  const standings = await say(alice, '排行')
  assert.match(standings, /^本群人民币排行：\n1\. alice：\d+元$/)
})

test('ten groups play at once, each on its own riddle chain', async (t) => {
  const { app, folder } = await startKoishi(t, baseFolder(t))
  const members = Array.from({ length: 10 }, (_, n) => app.mock.client(`m${n}`, `g${n}`))
  await Promise.all(members.map(async (member) => {
    assert.match(await say(member, '签到'), SIGNED_IN)
    assert.equal(await say(member, '开始'), riddles[0].question)
    assert.match(await say(member, riddles[0].answer), /^恭喜猜对/)
  }))
  const ids = JSON.parse(fs.readFileSync(path.join(folder, 'ids.json'), 'utf8'))
  for (const { number } of Object.values(ids.guilds)) {
    assert.ok(fs.existsSync(path.join(folder, 'Zorva', `${number}.ini`)), `group ${number}`)
  }
  assert.equal(Object.keys(ids.guilds).length, 10)
})

test('the game folder holds copies of the programs and outlives the app', async (t) => {
  const base = baseFolder(t)
  const first = await startKoishi(t, base)
  const alice = first.app.mock.client('alice', 'group-1')
  assert.match(await say(alice, '签到'), SIGNED_IN)
  assert.equal(await say(alice, '开始'), riddles[0].question)
  assert.match(await say(alice, riddles[0].answer), /^恭喜猜对/)
  const balance = await balanceOf(alice)
  await first.stop()

  for (const name of ['zorvane-host', 'zorvane.so']) {
    const file = fs.lstatSync(path.join(first.folder, name))
    assert.ok(file.isFile() && !file.isSymbolicLink(), `${name} is a copy`)
  }
  for (const name of ['Zorva', 'config']) {
    assert.ok(fs.statSync(path.join(first.folder, name)).isDirectory(), name)
  }

  // Another app on the same folder knows the member and the group's place.
  const second = await startKoishi(t, base)
  const back = second.app.mock.client('alice', 'group-1')
  assert.equal(await balanceOf(back), balance)
  assert.equal(await say(back, '开始'), riddles[1].question)
  assert.match(await say(back, '签到'), SIGNED_ALREADY)
})

test('a reload of the plug-in, as a change of its config makes, keeps its riddle site', async (t) => {
  const { app } = await startKoishi(t, baseFolder(t), { zorvane: false })
  const plugin = appRequire('koishi-plugin-zorvane')
  const first = app.plugin(plugin, {})
  const alice = app.mock.client('alice', 'group-1')
  assert.match(await say(alice, '签到'), SIGNED_IN)
  // Koishi does not wait for the old instance's clean-up before the new one.
  first.dispose()
  app.plugin(plugin, { hosts: 1 })
  assert.equal(await say(alice, '开始'), riddles[0].question)
  // Long after the old site has gone, the new one still serves.
  await new Promise((resolve) => setTimeout(resolve, 1500))
  assert.match(await say(alice, riddles[0].answer), /^恭喜猜对/)
  assert.equal(await say(alice, '开始'), riddles[1].question)
})

test('with the command-word switch only "Zorva " messages play, without the word', async (t) => {
  const { app } = await startKoishi(t, baseFolder(t), { zorvane: { commandWordOnly: true } })
  const alice = app.mock.client('alice', 'group-1')
  assert.match(await say(alice, '签到'), SIGNED_IN)
  assert.equal(await say(alice, '开始'), '')
  assert.equal(await say(alice, riddles[0].answer), '')
  assert.equal(await say(alice, 'Zorva 开始'), riddles[0].question)
  assert.match(await say(alice, `Zorva ${riddles[0].answer}`), /^恭喜猜对/)
})
